#include "output/png_writer.h"

#include "output/gdiplus_win32.h"
#include "output/gdiplus_encoder_lookup_win32.h"
#include "output/png_pixel_rows.h"
#include "output/save_path.h"

#include <random>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// A short destination name leaves few temporary names to choose from.
int const kTemporaryNameAttempts = 16;

// Virus scanners, search indexers and sync clients open every new file as
// soon as it is closed, without delete sharing, and let go of it within
// moments; while one holds it, the file can be neither renamed nor deleted.
// A save waits that long for them, in short steps.
ULONGLONG const kHeldFileWaitMs = 2000;
DWORD const kHeldFileStepMs = 50;

// GDI+ writes a save's temporary file only while this lock is held, and the
// file's name is kept here until it is gone, so that a console control handler
// that takes the lock (RemoveUnfinishedSave) finds the file closed.
SRWLOCK saveLock = SRWLOCK_INIT;
std::filesystem::path unfinishedSave;
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

bool EncodeWithGdiplus(GpBitmap* bitmap, const wchar_t* path)
{
    CLSID encoder;
    return FindEncoderClsid(L"image/png", &encoder) >= 0 && GdipSaveImageToFile(bitmap, path, &encoder, nullptr) == Ok;
}

// Makes an empty temporary file beside `path`, with CREATE_NEW so that no
// other writer can have picked the same name. Its name is never longer than
// the destination's, so it fits wherever the destination fits: a folder of up
// to 254 characters still takes an automatic save, where GetTempFileNameW
// refuses folders longer than MAX_PATH - 14. Empty when none can be made.
std::filesystem::path CreateTemporaryBeside(const std::filesystem::path& path)
{
    std::random_device random;
    std::size_t const nameLength = path.filename().native().size();
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::filesystem::path const temporary = path.parent_path() / TemporaryFileName(nameLength, random());
        HANDLE const file =
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return temporary;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return {};
}

bool HeldByAnotherProgram(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Repeats `fileCall`, a rename or removal that returns FALSE and sets the last
// error when it fails, while another program holds the file, for at most
// kHeldFileWaitMs. Returns ERROR_SUCCESS or the last failure's error.
template <typename FileCall>
DWORD RetryWhileHeld(FileCall const& fileCall)
{
    ULONGLONG const deadline = GetTickCount64() + kHeldFileWaitMs;
    for (;;) {
        if (fileCall())
            return ERROR_SUCCESS;
        DWORD const error = GetLastError();
        if (!HeldByAnotherProgram(error) || GetTickCount64() >= deadline)
            return error;
        Sleep(kHeldFileStepMs);
    }
}

void RemoveTemporary(std::filesystem::path const& temporary)
{
    RetryWhileHeld([&] { return DeleteFileW(temporary.c_str()); });
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

    AcquireSRWLockExclusive(&saveLock);
    unfinishedSave = CreateTemporaryBeside(path);
    // Without a temporary file beside it (a missing folder, no rights, every
    // name taken) a direct write still saves whatever it can.
    bool const direct = unfinishedSave.empty();
    bool saved = EncodeWithGdiplus(bitmap, direct ? path.c_str() : unfinishedSave.c_str());
    ReleaseSRWLockExclusive(&saveLock);

    if (!direct) {
        if (saveHook != nullptr)
            saveHook();
        AcquireSRWLockExclusive(&saveLock);
        bool renamed = false;
        if (saved) {
            DWORD const error = RetryWhileHeld([&] {
                return MoveFileExW(unfinishedSave.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
            });
            renamed = error == ERROR_SUCCESS;
            // Held past the wait: the complete image is written over the
            // destination itself, which a program holding the new file does
            // not keep from being written.
            if (!renamed)
                saved = HeldByAnotherProgram(error) && EncodeWithGdiplus(bitmap, path.c_str());
        }
        if (!renamed)
            RemoveTemporary(unfinishedSave);
        unfinishedSave.clear();
        ReleaseSRWLockExclusive(&saveLock);
    }
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
    if (!unfinishedSave.empty())
        RemoveTemporary(unfinishedSave);
}

void SetSaveHookForTesting(void (*hook)())
{
    saveHook = hook;
}
