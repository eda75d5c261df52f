#pragma once

#include <cstdint>

inline constexpr std::uint32_t kCheckerLight = 0xFFFFFFFFu;
inline constexpr std::uint32_t kCheckerDark = 0xFFCCCCCCu;

// `pixel` (straight alpha) over `background`; each channel is
// (b * (255 - a) + f * a) >> 8, so no result byte ever reaches 255.
std::uint32_t BlendOver(std::uint32_t pixel, std::uint32_t background);

// Flattens the image onto 8-pixel white and light grey squares anchored at its
// own top-left pixel, which lies on a light square.
void CompositeOnCheckerboard(std::uint32_t* pixels, std::int32_t width, std::int32_t height);
