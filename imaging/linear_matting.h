#pragma once

#include "imaging/copy_transfer.h"
#include "imaging/sdr_curve.h"

#include <cstdint>
#include <vector>

// Where Windows composes in linear light (HDR, Auto Color Management), a
// layered window is blended with what lies below it after both are decoded
// from sRGB, SDR content is lifted by the "SDR content brightness", and a
// screen copy comes back encoded to 8 bits again and clipped. The 8-bit
// formula of RecoverAlpha then reads shadows at half their density, and loses
// every opacity whose copy over white clips. Matting there maps both copies
// back to the light they show, through what copies of known greys returned.

// The copied level at which this screen's copies stop rising: copies at it
// show at least the light it stands for, perhaps more. Copies stop rising
// where a level below the top copies as the top does, or where the top step
// rises clearly less than the steps below it do: a screen that brightens
// content stops it at white, and some panels stop below 255. 256 where the
// copies rise to the top.
int ClipLevel(CopyTransfer transfer);

// What a copy of `painted` returns: the transfer's own value at its levels,
// between them along a straight line.
std::uint8_t CopiedLevel(CopyTransfer transfer, std::uint8_t painted);

// The highest painted level whose copy the transfer does not clip: 255 where
// white itself copies unclipped (a standard desktop, or no SDR boost), and 0
// where every level above black clips.
std::uint8_t HighestUnclippedLevel(CopyTransfer transfer);

// What RecoverAlphaInLinearLight needs, made once per capture.
struct LinearLightMatte {
    // The light a copied value shows, in units of the light of painted white,
    // and the least and the most light a copy rounded to it may show: half a
    // step and the noise either way, and no upper bound where the copy may
    // be clipped.
    float light[256];
    float lightFrom[256];
    float lightUpTo[256];
    // Copied values from this one on are clipped: they show this much light
    // or more. 256 where the transfer does not clip.
    int clippedFrom;
    // The light of the white backdrop, over which the white copy was taken.
    float whiteLight;
    // The colour an opaque pixel copied as each value has: its painted
    // level, white where clipped.
    std::uint8_t opaqueColour[256];
    // The bytes a copy of each backdrop alone returns, as 0x00RRGGBB.
    std::uint32_t blackShown;
    std::uint32_t whiteShown;
    // The transfer's noise: copies that agree within it (twice over, as
    // both are noisy) are opaque, and copies within it of the backdrops
    // alone transparent.
    int noise;
    // Light, 0 to 1 in kEncodeSteps steps, encoded to 8-bit sRGB.
    std::vector<std::uint8_t> encoded;
};

inline constexpr int kEncodeSteps = 65535;

// The matte for copies taken through `transfer`, the white copy over a
// backdrop painted at `whiteBackdrop` (the black one at 0), light told
// through `fit`: FitCurve's, or a curve the colours showed.
LinearLightMatte MakeLinearLightMatte(CopyTransfer transfer, std::uint8_t whiteBackdrop, CurveFit fit);

// Where the staircase cannot tell the curves apart (no boost), the colours
// of translucent pixels can: a pixel has one opacity for all three channels,
// and through the wrong curve, channels of different brightness tell
// different ones, so that their bounds cross. The curve through which the
// copies' bounds cross clearly less; Between where they cross too little
// through either to tell (greys, shadows and opaque content look the same
// through both), or about as much.
SdrCurve CurveTheColoursShow(const std::uint32_t* black, const std::uint32_t* white, std::int32_t count,
                             CopyTransfer transfer, std::uint8_t whiteBackdrop);

// RecoverAlpha in linear light: the copies mapped back to light, opacity
// from the difference over the backdrops' span, the middle of what every
// channel allows, colour from the black copy over the opacity, encoded to
// sRGB. Copies that agree within the noise of both are opaque, and copies
// of the backdrops alone within it transparent, exactly. A channel clipped in the black copy is brighter than
// the copy can show and saves as white; a pixel clipped so in every channel
// is opaque.
// Written over `white`, as RecoverAlpha does; nothing for a count of 0 or
// less.
void RecoverAlphaInLinearLight(const std::uint32_t* black, std::uint32_t* white, std::int32_t count,
                               LinearLightMatte const& matte);
