#include "tests/support/sample_window/sample_pattern.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

int Channel(std::uint32_t pixel, int shift)
{
    return static_cast<int>((pixel >> shift) & 0xFF);
}

// 0 at the first position, 255 at the last; 0 when there is only one.
std::uint32_t Ramp(std::int32_t position, std::int32_t size)
{
    return size > 1 ? static_cast<std::uint32_t>(std::int64_t{position} * 255 / (size - 1)) : 0;
}

std::uint32_t PatternAlpha(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    std::int64_t const span = std::int64_t{width} + height - 2;
    return span > 0 ? static_cast<std::uint32_t>(8 + (std::int64_t{x} + y) * 247 / span) : 255;
}

} // namespace

bool SamplePixelMatches(std::uint32_t actual, std::uint32_t expected)
{
    int const alpha = Channel(expected, 24);
    if (std::abs(Channel(actual, 24) - alpha) > 1)
        return false;
    int const colourTolerance = 1 + 510 / std::max(alpha, 1);
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > colourTolerance)
            return false;
    }
    return true;
}

bool ParseSampleMode(std::wstring_view text, SampleMode& mode)
{
    if (text == L"pattern")
        mode = SampleMode::Pattern;
    else if (text == L"constant")
        mode = SampleMode::Constant;
    else if (text == L"opaque")
        mode = SampleMode::Opaque;
    else
        return false;
    return true;
}

std::uint32_t SamplePixel(SampleMode mode, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    std::uint32_t const red = Ramp(x, width);
    std::uint32_t const green = Ramp(y, height);
    std::uint32_t const blue = ((x / 16 + y / 16) % 2) ? 0xC0 : 0x40;
    std::uint32_t alpha = 255;
    if (mode == SampleMode::Pattern)
        alpha = PatternAlpha(x, y, width, height);
    else if (mode == SampleMode::Constant)
        alpha = kSampleConstantAlpha;
    return alpha << 24 | red << 16 | green << 8 | blue;
}

std::uint32_t Premultiply(std::uint32_t pixel)
{
    std::uint32_t const alpha = pixel >> 24;
    std::uint32_t result = alpha << 24;
    for (int shift : {0, 8, 16})
        result |= ((((pixel >> shift) & 0xFF) * alpha + 127) / 255) << shift;
    return result;
}

bool MatchesSample(SampleMode mode, const std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::string& firstMismatch)
{
    char text[128];
    if (width <= 0 || height <= 0) {
        std::snprintf(text, sizeof(text), "image is %dx%d", static_cast<int>(width), static_cast<int>(height));
        firstMismatch = text;
        return false;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t const actual = pixels[std::int64_t{y} * width + x];
            std::uint32_t const expected = SamplePixel(mode, x, y, width, height);
            if (!SamplePixelMatches(actual, expected)) {
                std::snprintf(text, sizeof(text), "pixel (%d, %d) of %dx%d is 0x%08X, expected 0x%08X",
                              static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height),
                              static_cast<unsigned>(actual), static_cast<unsigned>(expected));
                firstMismatch = text;
                return false;
            }
        }
    }
    return true;
}
