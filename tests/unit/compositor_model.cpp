#include "compositor_model.h"

#include "tests/support/sample_window/sample_pattern.h"
#include "tests/support/screen_model.h"

#include <algorithm>
#include <cmath>

namespace {

using Matrix = double[3][3];

// Linear sRGB to the panel's linear primaries, rows and columns red, green,
// blue; each row sums to 1, so that white stays white.
Matrix const kSrgbToDisplayP3 = {
    {0.8224621, 0.1775380, 0.0000000},
    {0.0331941, 0.9668058, 0.0000000},
    {0.0170827, 0.0723974, 0.9105199},
};
Matrix const kSrgbToRec2020 = {
    {0.6274040, 0.3292820, 0.0433136},
    {0.0690970, 0.9195400, 0.0113612},
    {0.0163916, 0.0880132, 0.8955950},
};

double Decode(TransferCurve curve, double encoded)
{
    if (curve == TransferCurve::Power22)
        return std::pow(encoded, 2.2);
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double Encode(TransferCurve curve, double linear)
{
    if (curve == TransferCurve::Power22)
        return std::pow(linear, 1 / 2.2);
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

// The bytes of an opaque pixel from three channel values, blue first.
std::uint32_t OpaqueOf(double const (&channels)[3])
{
    int bytes[3];
    for (int c = 0; c < 3; ++c)
        bytes[c] = static_cast<int>(std::clamp(std::lround(channels[c]), 0L, 255L));
    return screen_model::Opaque(bytes[0], bytes[1], bytes[2]);
}

// The panel's encoded values, 0 to 255, blue first.
void ToPanel(CompositorModel const& model, ComposedPixel const& pixel, double (&out)[3])
{
    Matrix const* matrix = model.primaries == OutputPrimaries::DisplayP3 ? &kSrgbToDisplayP3
                           : model.primaries == OutputPrimaries::Rec2020 ? &kSrgbToRec2020
                                                                         : nullptr;
    double const red = pixel.channels[2], green = pixel.channels[1], blue = pixel.channels[0];
    for (int c = 0; c < 3; ++c) {
        double linear = pixel.channels[c];
        if (matrix) {
            double const* row = (*matrix)[2 - c]; // the matrix's rows run red, green, blue
            linear = row[0] * red + row[1] * green + row[2] * blue;
        }
        out[c] = 255 * Encode(model.curve, std::min(1.0, model.sdrBoost * linear));
    }
}

// -1, 0 or 1 from a number, evenly: splitmix64's finaliser.
int DitherStep(std::uint64_t noise)
{
    noise *= 0x9E3779B97F4A7C15u;
    noise = (noise ^ (noise >> 30)) * 0xBF58476D1CE4E5B9u;
    noise = (noise ^ (noise >> 27)) * 0x94D049BB133111EBu;
    noise ^= noise >> 31;
    return static_cast<int>(noise % 3) - 1;
}

} // namespace

ComposedPixel ComposeOpaque(CompositorModel const& model, std::uint32_t pixel)
{
    ComposedPixel composed;
    for (int c = 0; c < 3; ++c) {
        int const value = screen_model::Channel(pixel, c);
        composed.channels[c] = model.blending == Blending::EightBit ? value : Decode(model.curve, value / 255.0);
    }
    return composed;
}

ComposedPixel ComposeOver(CompositorModel const& model, std::uint32_t straight, ComposedPixel below)
{
    if (model.blending == Blending::EightBit) {
        // Exactly the test display's compositor.
        std::uint32_t const shown = screen_model::Over(Premultiply(straight), OpaqueOf(below.channels));
        return ComposeOpaque(model, shown);
    }
    double const alpha = screen_model::Channel(straight, 3) / 255.0;
    ComposedPixel const colour = ComposeOpaque(model, straight);
    ComposedPixel composed;
    for (int c = 0; c < 3; ++c)
        composed.channels[c] = alpha * colour.channels[c] + (1 - alpha) * below.channels[c];
    return composed;
}

std::uint32_t CopiedPixel(CompositorModel const& model, ComposedPixel pixel, std::uint64_t noise)
{
    double panel[3];
    if (model.blending == Blending::EightBit && model.primaries == OutputPrimaries::Srgb) {
        std::copy(std::begin(pixel.channels), std::end(pixel.channels), std::begin(panel));
    } else if (model.blending == Blending::EightBit) {
        // Blended as 8-bit values, converted to the panel's primaries after.
        ComposedPixel linear;
        for (int c = 0; c < 3; ++c)
            linear.channels[c] = Decode(model.curve, std::round(pixel.channels[c]) / 255);
        ToPanel(model, linear, panel);
    } else {
        ToPanel(model, pixel, panel);
    }
    for (int c = 0; model.dither && c < 3; ++c)
        panel[c] = std::round(panel[c]) + DitherStep(noise * 3 + static_cast<std::uint64_t>(c));
    for (double& channel : panel)
        channel = std::min(channel, double(model.clipLevel));
    return OpaqueOf(panel);
}
