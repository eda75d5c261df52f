#pragma once

#include <cstdint>
#include <vector>

// `width` x `height` pixels (bytes blue, green, red, alpha; straight alpha;
// top row first) as the bytes of an 8-bit RGBA PNG file, every sample exactly
// as stored: GDI+'s encoder on Windows, which must be running, and zlib on
// every core elsewhere. Encoded once, the bytes serve both a file and the
// clipboard. Empty when a side is not positive or the image cannot be
// encoded.
std::vector<std::uint8_t> EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height);
