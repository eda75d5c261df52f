#include "capture/capture_bitmap_win32.h"

#include "imaging/pixel_buffer.h"

#include <algorithm>

BITMAPINFO TopDownBitmapInfo(std::int32_t width, std::int32_t height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // negative: the first row in memory is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

HBITMAP CreateCaptureBitmap(std::int32_t width, std::int32_t height, std::uint32_t** pixels, bool fill, std::uint32_t fillValue)
{
    *pixels = nullptr;
    // A negative height would ask for a bottom-up bitmap, and -INT32_MIN does
    // not exist: only a real size is handed to the system.
    if (width <= 0 || height <= 0)
        return nullptr;

    BITMAPINFO info = TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;

    *pixels = static_cast<std::uint32_t*>(bits);
    if (fill)
        std::fill_n(*pixels, PixelCount(width, height), fillValue);
    return bitmap;
}
