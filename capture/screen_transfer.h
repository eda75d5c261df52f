#pragma once

#include "capture/copy_check.h"
#include "imaging/linear_matting.h"

#include <array>
#include <cstdint>
#include <optional>

// How this screen copies what is painted: what copies returned of each level
// of the staircase (copy_check.h). On a standard desktop every level comes
// back as painted. Where Windows composes in linear light, SDR content is
// lifted, and copies clip below the top of the staircase.
struct ScreenTransfer {
    std::array<std::uint8_t, kStaircaseSteps> copied;
    // How far the copies of one step strayed from its middle value: the
    // screen's dither, 0 where it has none.
    std::uint8_t noise = 0;
    // The curve the colours of a capture on this screen told, where the
    // staircase tells none (no boost): the screen keeps its curve, and a
    // capture of greys alone cannot tell it. Between until one has.
    SdrCurve curve = SdrCurve::Between;

    // The transfer as the matting takes it: the staircase's levels beside
    // what came back of them.
    CopyTransfer Levels() const;
};

// Every level copied as painted.
ScreenTransfer IdentityTransfer();

// What the staircase of a screen in HDR should show before one has been read
// there: SDR content's light brightened from scRGB's white of 80 nits to
// `sdrWhiteNits`, the white level Windows reports, clipped at full light,
// through the sRGB curve that screen copies are encoded with. A guess from
// what the system says, until the copies say better.
ScreenTransfer TransferAtWhiteLevel(double sdrWhiteNits);

// The transfer the staircase shows in `copies`, read only where it lies on
// `monitor` (in the frame's coordinates), outside `unseen`: for each step,
// the middle of the values its pixels show in both copies, in all three
// channels, so that a shadow or a dither over a few of them changes nothing;
// and the noise, as far as the values of most of a step's pixels lie from
// its middle.
// None where a step shows on too few pixels, or where the values fall as the
// levels rise, or never rise: then something other than the staircase lies
// over the ring.
std::optional<ScreenTransfer> MeasureTransfer(BackdropCopies const& copies, CaptureRect monitor);

// How the copies of a capture are turned into alpha.
struct ColourPipeline {
    bool linearLight = false;                // the monitor composes in linear light (advanced colour)
    ScreenTransfer transfer = IdentityTransfer();
    std::uint8_t whiteBackdrop = 255;        // the level the white backdrop was painted at
};

// The level at which the white backdrop is painted for `pipeline`'s screen:
// white, unless the screen composes in linear light and clips copies below
// it; then the highest level whose copy it does not clip, so that the white
// copy still tells opacities apart.
std::uint8_t WhiteBackdropLevel(ColourPipeline const& pipeline);

// What a copy of the white backdrop returns: the transfer at its level.
std::uint8_t WhiteShown(ColourPipeline const& pipeline);

// The copies matted into `white`: RecoverAlpha, unchanged, where the monitor
// blends 8-bit values; in linear light through the measured transfer where
// it composes in linear light (RecoverAlphaInLinearLight), by the curve the
// staircase shows, or else the one the transfer remembers, or else the one
// the colours show (CurveTheColoursShow). Returns the curve the colours
// told, Between where they were not asked or told none.
SdrCurve MatteCopies(std::uint32_t const* black, std::uint32_t* white, std::int32_t count, ColourPipeline const& pipeline);
