#pragma once

#include "imaging/copy_transfer.h"

// The curve by which a screen that composes in linear light decodes SDR
// content to light, and encodes light again for a copy. Windows does not
// say which one it uses; the two that are in use for SDR content are the
// piecewise sRGB curve and a pure 2.2 power.
enum class SdrCurve {
    PiecewiseSrgb,
    Power22,
    // The mean of the two: where the copies cannot tell them apart, the
    // curve whose error is smallest whichever of them the screen uses.
    Between,
};

// The light an 8-bit value stands for, 0 to 1, through `curve`.
double DecodeLevel(SdrCurve curve, double encoded);

// The value, 0 to 1, that `curve` encodes `light` to: piecewise sRGB for
// Between, whose mean has no inverse of its own.
double EncodeLight(SdrCurve curve, double light);

// What the staircase shows of the screen's curve: where the copies are
// brighter than painted, the candidate that, with the boost fitted to it,
// comes nearest to the unclipped copies; Between and a boost of 1 where they
// are not, since then both candidates return every level as painted.
struct CurveFit {
    SdrCurve curve = SdrCurve::Between;
    double boost = 1.0;
    // Whether the fitted curve and boost return every unclipped copy within
    // a step: then they tell the light of a copy better than the line
    // between two of the staircase's rounded copies does.
    bool close = false;
};

CurveFit FitCurve(CopyTransfer transfer);
