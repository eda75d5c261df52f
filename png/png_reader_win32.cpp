#include "png/png_reader.h"

#include "png/gdiplus_win32.h"
#include "png/png_reader_file.h"

#include <cstdint>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// Locking in PixelFormat32bppARGB has GDI+ convert whatever the file held to
// 8-bit straight-alpha blue, green, red, alpha, the pixel buffer's layout.
// The rows are appended to `pixels`, whose memory is reserved and unfilled.
PngReadResult CopyArgbPixels(GpBitmap* bitmap, const PngHeader& header, std::vector<std::uint32_t>& pixels)
{
    UINT width = 0;
    UINT height = 0;
    if (GdipGetImageWidth(bitmap, &width) != Ok || GdipGetImageHeight(bitmap, &height) != Ok ||
        width != header.width || height != header.height)
        return {PngFault::Damaged, "GDI+ does not find the size in the header"};

    GpRect const whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    BitmapData locked{};
    if (GdipBitmapLockBits(bitmap, &whole, ImageLockModeRead, PixelFormat32bppARGB, &locked) != Ok)
        return {PngFault::Damaged, "GDI+ cannot decode the image data"};
    auto const* row = static_cast<const std::uint8_t*>(locked.Scan0);
    for (UINT y = 0; y < height; ++y, row += locked.Stride) {
        auto const* first = reinterpret_cast<const std::uint32_t*>(row);
        pixels.insert(pixels.end(), first, first + width);
    }
    GdipBitmapUnlockBits(bitmap, &locked);
    return {};
}

} // namespace

// The whole file is checked before GDI+ sees it, and stays open, shared for
// reading only, until GDI+ is done: GDI+ applies no limits of its own and
// reads the checksums of no chunk.
PngReadResult DecodeCheckedPng(const std::filesystem::path& path, DecodedPng& image)
{
    CheckedPngFile file;
    PngReadResult result = file.Open(path);
    if (result.fault == PngFault::None)
        result = file.ReadToEnd();
    if (result.fault != PngFault::None)
        return result;

    PngHeader const& header = file.check().header();
    image.width = header.width;
    image.height = header.height;
    image.pixels.reserve(static_cast<std::size_t>(header.width) * header.height);
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok)
        return {PngFault::Damaged, "GDI+ cannot decode the image data"};
    result = CopyArgbPixels(bitmap, header, image.pixels);
    GdipDisposeImage(bitmap);
    return result;
}
