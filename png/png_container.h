#pragma once

#include <cstdint>
#include <vector>

// `pixels` (bytes blue, green, red, alpha; straight alpha; top row first) as
// the bytes of an 8-bit RGBA PNG file, every sample exactly as stored, its
// image data compressed in `bandCount` bands at once (see DeflateImageData).
// False, with `png` unspecified, when width or height is not positive, memory
// runs out or zlib fails.
bool EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, unsigned bandCount,
               std::vector<std::uint8_t>& png);
