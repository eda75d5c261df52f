#pragma once

// Models of what a compositor shows of layered windows, and what a screen
// copy then returns, for the tests of the copy check. What a copy returns
// where Windows composes in linear light (Auto Color Management, HDR, a
// wide-gamut panel) is not documented; these models bound it:
//   - 8-bit blending of premultiplied values, as xcompmgr and SDR DWM do;
//   - blending of sRGB-decoded values in linear light, encoded again;
//   - that with SDR content boosted by a factor and clipped at white;
//   - an output converted from sRGB to a panel's primaries (Display P3,
//     Rec. 2020) after the blending, as a colour-managed copy returns it;
//   - any of these dithered by one step either way, in each channel of each
//     copy on its own;
//   - SDR content decoded and encoded again by the piecewise sRGB curve or
//     by a pure 2.2 power: which one Windows uses is not documented;
//   - a panel whose copies clip below 255.

#include <cstdint>

enum class Blending { EightBit, LinearLight };

enum class OutputPrimaries { Srgb, DisplayP3, Rec2020 };

enum class TransferCurve { PiecewiseSrgb, Power22 };

struct CompositorModel {
    char const* name;
    Blending blending;
    // Of linear light only:
    double sdrBoost = 1.0; // linear light times this, clipped at white
    // Converted after the blending, either way:
    OutputPrimaries primaries = OutputPrimaries::Srgb;
    bool dither = false;
    TransferCurve curve = TransferCurve::PiecewiseSrgb;
    int clipLevel = 255; // no copy returns more than this
};

// One pixel of the composed screen in the model's own terms: 8-bit values
// for 8-bit blending, linear light otherwise; blue, green, red.
struct ComposedPixel {
    double channels[3];
};

// An opaque pixel (0xAARRGGBB, alpha ignored) as the screen holds it.
ComposedPixel ComposeOpaque(CompositorModel const& model, std::uint32_t pixel);

// A straight pixel with its alpha laid over what the screen shows below it.
ComposedPixel ComposeOver(CompositorModel const& model, std::uint32_t straight, ComposedPixel below);

// What a screen copy returns for a composed pixel, opaque. `noise` picks the
// dither: a copy of another frame, or of another pixel, gives another number.
std::uint32_t CopiedPixel(CompositorModel const& model, ComposedPixel pixel, std::uint64_t noise);
