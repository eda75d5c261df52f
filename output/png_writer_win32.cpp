#include "output/png_writer.h"

#include "output/gdiplus_win32.h"
#include "output/png_encoder_win32.h"
#include "output/png_pixel_rows.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// GDI+ writes a save's temporary file only while this lock is held, and the
// file's name is kept here until it is gone, so that a console control handler
// that takes the lock (RemoveUnfinishedSave) finds the file closed.
SRWLOCK saveLock = SRWLOCK_INIT;
wchar_t unfinishedSave[MAX_PATH];
void (*saveHook)() = nullptr;

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

bool EncodePng(GpBitmap* bitmap, const wchar_t* path)
{
    CLSID encoder;
    return FindEncoderClsid(L"image/png", &encoder) >= 0 && GdipSaveImageToFile(bitmap, path, &encoder, nullptr) == Ok;
}

} // namespace

bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height)
{
    if (width <= 0 || height <= 0)
        return false;
    GpBitmap* const bitmap = CreateArgbBitmap(pixels, width, height);
    if (bitmap == nullptr)
        return false;

    // GetTempFileNameW creates the temporary file, so no other writer can pick
    // the same name; a folder that does not exist fails here, before anything
    // is written.
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = L".";
    AcquireSRWLockExclusive(&saveLock);
    bool saved = GetTempFileNameW(folder.c_str(), L"lf", 0, unfinishedSave) != 0;
    if (!saved)
        unfinishedSave[0] = L'\0';
    saved = saved && EncodePng(bitmap, unfinishedSave);
    ReleaseSRWLockExclusive(&saveLock);
    if (saveHook != nullptr)
        saveHook();

    AcquireSRWLockExclusive(&saveLock);
    saved = saved && MoveFileExW(unfinishedSave, path.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!saved && unfinishedSave[0] != L'\0')
        DeleteFileW(unfinishedSave);
    unfinishedSave[0] = L'\0';
    ReleaseSRWLockExclusive(&saveLock);
    GdipDisposeImage(bitmap);
    return saved;
}

void WritePng(const wchar_t* path, const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    SavePngFile(path, pixels, width, height);
}

// The lock is never released: the process ends next, and no save may start
// or replace its destination before it has.
void RemoveUnfinishedSave()
{
    AcquireSRWLockExclusive(&saveLock);
    if (unfinishedSave[0] != L'\0')
        DeleteFileW(unfinishedSave);
}

void SetSaveHookForTesting(void (*hook)())
{
    saveHook = hook;
}
