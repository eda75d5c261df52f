#pragma once

// Straightforward forms of the imaging rules, written apart from the library
// so that tests and fuzz drivers can check every path of it.

#include <algorithm>
#include <cstdint>

namespace reference {

inline int Channel(std::uint32_t pixel, int index) { return static_cast<int>(pixel >> (8 * index) & 0xFF); }

// One pixel of a black and a white capture, matted.
inline std::uint32_t Matte(std::uint32_t black, std::uint32_t white)
{
    int estimate = 0;
    for (int c = 0; c < 3; ++c)
        estimate = std::max(estimate, Channel(black, c) - Channel(white, c) + 255);
    if (estimate > 255)
        return 0xFF000000u | (black & 0x00FFFFFFu);
    if (estimate == 0)
        return 0;
    std::uint32_t result = static_cast<std::uint32_t>(estimate) << 24;
    for (int c = 0; c < 3; ++c)
        result |= static_cast<std::uint32_t>(Channel(black, c) * 255 / estimate) << (8 * c);
    return result;
}

inline std::uint32_t Blend(std::uint32_t foreground, std::uint32_t background)
{
    int const a = Channel(foreground, 3);
    std::uint32_t result = 0;
    for (int c = 0; c < 4; ++c) {
        int const f = c == 3 ? 255 : Channel(foreground, c);
        result |= static_cast<std::uint32_t>((Channel(background, c) * (255 - a) + f * a) >> 8) << (8 * c);
    }
    return result;
}

// Light where the square's column and row numbers have the same parity.
inline std::uint32_t CheckerAt(std::int32_t x, std::int32_t y)
{
    return (x / 8 + y / 8) % 2 == 0 ? 0xFFFFFFFFu : 0xFFCCCCCCu;
}

// The smallest box holding every non-zero pixel, found by looking at all of them.
struct Box {
    std::int32_t left, top, right, bottom; // inclusive
    bool any;
};

inline Box ContentBox(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    Box box{width, height, -1, -1, false};
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            if (pixels[static_cast<std::int64_t>(y) * width + x] != 0)
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y),
                       true};
    return box;
}

// Whether AutoCrop cuts the image down to `box`: only content spanning at
// least two rows and two columns is cropped.
inline bool Crops(Box const& box) { return box.any && box.right > box.left && box.bottom > box.top; }

} // namespace reference
