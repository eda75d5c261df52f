#include "output/clipboard_win32.h"

#include "output/clipboard_image.h"

#include <cstring>

namespace {

// Another program's hold on the clipboard lasts moments: a clipboard manager
// reading what was just put there, a program copying. Long enough for those,
// short enough that the user does not wait on a capture.
DWORD const kOpenAttempts = 25;
DWORD const kOpenStepMs = 10;

static_assert(sizeof(BITMAPV5HEADER) == 124 && sizeof(BITMAPINFOHEADER) == 40,
              "the clipboard blocks carry these headers");

// A block of movable memory of `size` bytes, filled by `fill`; null when
// there is nothing to put or no memory for it.
template <typename Fill>
HGLOBAL MakeBlock(std::size_t size, Fill const& fill)
{
    if (size == 0)
        return nullptr;
    HGLOBAL const block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr)
        return nullptr;
    void* const data = GlobalLock(block);
    if (data == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    fill(static_cast<std::uint8_t*>(data));
    GlobalUnlock(block);
    return block;
}

bool OpenClipboardWhenFree(HWND owner)
{
    for (DWORD attempt = 1;; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        if (attempt == kOpenAttempts)
            return false;
        Sleep(kOpenStepMs);
    }
}

// The system owns a block it took; one it refused is still ours.
bool Put(UINT format, HGLOBAL block)
{
    if (block == nullptr)
        return false;
    if (SetClipboardData(format, block) != nullptr)
        return true;
    GlobalFree(block);
    return false;
}

} // namespace

ClipboardStatus CopyCaptureToClipboard(HWND owner, std::span<const std::uint8_t> png, const std::uint32_t* pixels,
                                       std::int32_t width, std::int32_t height)
{
    // Everything is made before the clipboard is opened, so that it is held
    // from other programs only for the moment of the exchange.
    HGLOBAL const pngBlock = MakeBlock(png.size(), [&](std::uint8_t* data) { std::memcpy(data, png.data(), png.size()); });
    HGLOBAL const dibV5Block =
        MakeBlock(DibV5BlockSize(width, height), [&](std::uint8_t* data) { WriteDibV5Block(pixels, width, height, data); });
    HGLOBAL const dibBlock =
        MakeBlock(DibBlockSize(width, height), [&](std::uint8_t* data) { WriteDibBlock(pixels, width, height, data); });
    if (!OpenClipboardWhenFree(owner)) {
        for (HGLOBAL block : {pngBlock, dibV5Block, dibBlock})
            if (block != nullptr)
                GlobalFree(block);
        return ClipboardStatus::Busy;
    }
    EmptyClipboard();
    bool const pngTaken = Put(RegisterClipboardFormatW(L"PNG"), pngBlock);
    bool const dibV5Taken = Put(CF_DIBV5, dibV5Block);
    bool const dibTaken = Put(CF_DIB, dibBlock);
    CloseClipboard();
    return pngTaken || dibV5Taken || dibTaken ? ClipboardStatus::Copied : ClipboardStatus::Failed;
}
