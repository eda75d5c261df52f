#include "output/png_reader.h"

#include "output/gdiplus_win32.h"
#include "output/png_pixel_rows.h"

#include <cstdint>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// GDI+'s identifier of the PNG file format (ImageFormatPNG, which MinGW's
// headers do not define).
GUID const kPngFormat = {0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

bool IsPng(GpImage* image)
{
    GUID format{};
    return GdipGetImageRawFormat(image, &format) == Ok && IsEqualGUID(format, kPngFormat);
}

// Locking in PixelFormat32bppARGB has GDI+ convert whatever the file held to
// 8-bit straight-alpha blue, green, red, alpha, the pixel buffer's layout.
bool CopyArgbPixels(GpBitmap* bitmap, std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height)
{
    UINT w = 0;
    UINT h = 0;
    if (GdipGetImageWidth(bitmap, &w) != Ok || GdipGetImageHeight(bitmap, &h) != Ok)
        return false;
    if (w == 0 || h == 0 || static_cast<std::uint64_t>(w) * h > INT32_MAX)
        return false;

    std::vector<std::uint32_t> decoded;
    if (!TryAllocatePixels(decoded, static_cast<std::size_t>(w) * h))
        return false;
    GpRect const whole(0, 0, static_cast<INT>(w), static_cast<INT>(h));
    BitmapData locked{};
    if (GdipBitmapLockBits(bitmap, &whole, ImageLockModeRead, PixelFormat32bppARGB, &locked) != Ok)
        return false;
    std::size_t const rowBytes = static_cast<std::size_t>(w) * sizeof decoded[0];
    CopyRows(reinterpret_cast<std::uint8_t*>(decoded.data()), static_cast<std::ptrdiff_t>(rowBytes),
             static_cast<const std::uint8_t*>(locked.Scan0), locked.Stride, rowBytes, static_cast<std::int32_t>(h));
    GdipBitmapUnlockBits(bitmap, &locked);

    pixels.swap(decoded);
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
    return true;
}

} // namespace

bool ReadPng(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, std::int32_t& width,
             std::int32_t& height)
{
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok)
        return false;
    bool const read = IsPng(bitmap) && CopyArgbPixels(bitmap, pixels, width, height);
    GdipDisposeImage(bitmap);
    return read;
}
