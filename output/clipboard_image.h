#pragma once

#include <cstddef>
#include <cstdint>

// The two bitmap forms of a capture on the clipboard, built without the
// platform: each is one block, a header followed by the rows from the
// bottom row up, as the clipboard's device-independent bitmaps are.
//
// CF_DIBV5 keeps the alpha: a 124-byte version-5 header with BI_BITFIELDS
// masks (red 0x00FF0000, green 0x0000FF00, blue 0x000000FF, alpha 0xFF000000)
// in the sRGB colour space, and 32-bit pixels with straight alpha, colour 0
// wherever alpha is 0, for readers that take the colour of an invisible pixel
// at its word.
//
// CF_DIB is for readers that ignore alpha: a 40-byte header and 24-bit pixels,
// rows padded to four bytes, the capture laid over opaque white, so that such
// readers show the window as it looks on a white page rather than on black.
//
// Each size is 0 for an image without pixels or one whose block would not fit
// the header's 32-bit size fields; nothing is to be written then. `block`
// holds that many bytes.
std::size_t DibV5BlockSize(std::int32_t width, std::int32_t height);
void WriteDibV5Block(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::uint8_t* block);

std::size_t DibBlockSize(std::int32_t width, std::int32_t height);
void WriteDibBlock(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::uint8_t* block);

// `pixel` (straight alpha) over opaque white, rounded to the nearest value:
// an opaque pixel keeps its colour exactly and a transparent one is white.
std::uint32_t OverWhite(std::uint32_t pixel);
