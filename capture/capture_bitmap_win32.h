#pragma once

#include <windows.h>

#include <cstdint>

// The description of a 32-bit top-down bitmap of width x height with no
// colour table: rows top first, no gap between rows, bytes blue, green, red,
// alpha, the pixel buffer's own layout.
BITMAPINFO TopDownBitmapInfo(std::int32_t width, std::int32_t height);

// Makes a 32-bit top-down bitmap whose pixel memory is a PixelBuffer of
// width x height: rows top first, no gap between rows, bytes blue, green, red,
// alpha. Its pixels start at zero, or at fillValue when fill is asked for.
// Returns nullptr and sets *pixels to nullptr when either side is 0 or less or
// the bitmap cannot be made. The memory goes away with DeleteObject, which may
// only be called once no device context holds the bitmap.
HBITMAP CreateCaptureBitmap(std::int32_t width, std::int32_t height, std::uint32_t** pixels, bool fill, std::uint32_t fillValue);
