#pragma once

// What a compositor that blends in 8 bits, as xcompmgr does, shows of one
// window pixel over another: the tests' model of the screen.

#include <cstdint>

namespace screen_model {

inline int Channel(std::uint32_t pixel, int index) { return static_cast<int>(pixel >> (8 * index) & 0xFF); }

inline std::uint32_t Opaque(int blue, int green, int red)
{
    return 0xFF000000u | static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue);
}

// `premultiplied` (its alpha in the top byte) laid over the opaque `background`.
inline std::uint32_t Over(std::uint32_t premultiplied, std::uint32_t background)
{
    int const transparency = 255 - Channel(premultiplied, 3);
    int channels[3];
    for (int c = 0; c < 3; ++c)
        channels[c] = Channel(premultiplied, c) + (Channel(background, c) * transparency + 127) / 255;
    return Opaque(channels[0], channels[1], channels[2]);
}

} // namespace screen_model
