#pragma once

#include <cstdint>

// A 32-bit image: bytes blue, green, red, alpha per pixel (0xAARRGGBB read as a
// little-endian value), rows top first with no gap between them. The memory
// belongs to whoever made the buffer; the imaging operations work in place and
// never allocate, replace or free it. A width or height of 0 or less means the
// buffer holds no pixels.
struct PixelBuffer {
    std::uint32_t* pixels;
    std::int32_t width;
    std::int32_t height;
};

// Number of pixels, or 0 when either side is 0 or less. 64-bit so that no
// product of two 32-bit sides can overflow.
inline std::int64_t PixelCount(std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<std::int64_t>(width) * height;
}
