#include "imaging/checkerboard.h"

#include "imaging/kernels.h"

std::uint32_t BlendOver(std::uint32_t pixel, std::uint32_t background)
{
    std::uint32_t const a = pixel >> 24;
    std::uint32_t const foreground = pixel | 0xFF000000u; // alpha enters as 255
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::uint32_t const f = (foreground >> shift) & 0xFF;
        std::uint32_t const b = (background >> shift) & 0xFF;
        result |= ((b * (255 - a) + f * a) >> 8) << shift;
    }
    return result;
}

void CompositeOnCheckerboard(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    if (width > 0 && height > 0)
        ActiveKernels().composite(pixels, width, height);
}

void CompositeOnCheckerboardScalar(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x)
            row[x] = BlendOver(row[x], CheckerColourAt(x, y));
    }
}
