#include "png/png_writer.h"

#include "png/gdiplus_win32.h"
#include "png/gdiplus_encoder_lookup_win32.h"
#include "png/png_pixel_rows.h"

#include <vector>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// A 32bppARGB bitmap holding a copy of the pixels. That format's memory is the
// pixel buffer's own layout, straight alpha included, so the bytes go across
// unchanged. Null when GDI+ cannot make or fill it.
GpBitmap* CreateArgbBitmap(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok)
        return nullptr;

    GpRect const whole(0, 0, width, height);
    BitmapData locked{};
    bool filled = false;
    if (GdipBitmapLockBits(bitmap, &whole, ImageLockModeWrite, PixelFormat32bppARGB, &locked) == Ok) {
        std::size_t const rowBytes = static_cast<std::size_t>(width) * sizeof *pixels;
        CopyRows(static_cast<std::uint8_t*>(locked.Scan0), locked.Stride,
                 reinterpret_cast<const std::uint8_t*>(pixels), static_cast<std::ptrdiff_t>(rowBytes), rowBytes,
                 height);
        filled = GdipBitmapUnlockBits(bitmap, &locked) == Ok;
    }
    if (!filled) {
        GdipDisposeImage(bitmap);
        return nullptr;
    }
    return bitmap;
}

// GDI+ writes into a stream on movable memory, which grows as it writes.
std::vector<std::uint8_t> EncodeWithGdiplus(GpBitmap* bitmap)
{
    std::vector<std::uint8_t> bytes;
    CLSID encoder;
    IStream* stream = nullptr;
    if (FindEncoderClsid(L"image/png", &encoder) < 0 || CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK)
        return bytes;
    HGLOBAL memory = nullptr;
    STATSTG status{};
    if (GdipSaveImageToStream(bitmap, stream, &encoder, nullptr) == Ok &&
        stream->Stat(&status, STATFLAG_NONAME) == S_OK && GetHGlobalFromStream(stream, &memory) == S_OK) {
        if (auto const* start = static_cast<const std::uint8_t*>(GlobalLock(memory))) {
            bytes.assign(start, start + status.cbSize.QuadPart);
            GlobalUnlock(memory);
        }
    }
    stream->Release();
    return bytes;
}

} // namespace

std::vector<std::uint8_t> EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0)
        return {};
    GpBitmap* const bitmap = CreateArgbBitmap(pixels, width, height);
    if (bitmap == nullptr)
        return {};
    std::vector<std::uint8_t> bytes = EncodeWithGdiplus(bitmap);
    GdipDisposeImage(bitmap);
    return bytes;
}
