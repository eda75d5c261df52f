#include "output/clipboard_win32.h"

#include "output/clipboard_image.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

// Another program's hold on the clipboard lasts moments: a clipboard manager
// reading what was just put there, a program copying. Long enough for those,
// short enough that the user does not wait on a capture.
DWORD const kOpenAttempts = 25;
DWORD const kOpenStepMs = 10;

static_assert(sizeof(BITMAPV5HEADER) == 124 && sizeof(BITMAPINFOHEADER) == 40,
              "the clipboard blocks carry these headers");

// The capture whose formats the clipboard promises. Making them at once would
// cost every capture the bitmaps' time and memory, whether anyone pastes or
// not; a copy of its pixels and file costs a moment.
struct OfferedCapture {
    std::vector<std::uint8_t> png;
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
OfferedCapture offered;

UINT PngFormat()
{
    static UINT const format = RegisterClipboardFormatW(L"PNG");
    return format;
}

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

HGLOBAL MakePng(OfferedCapture const& capture)
{
    return MakeBlock(capture.png.size(),
                     [&](std::uint8_t* data) { std::memcpy(data, capture.png.data(), capture.png.size()); });
}

HGLOBAL MakeDibV5(OfferedCapture const& capture)
{
    return MakeBlock(DibV5BlockSize(capture.width, capture.height), [&](std::uint8_t* data) {
        WriteDibV5Block(capture.pixels.data(), capture.width, capture.height, data);
    });
}

HGLOBAL MakeDib(OfferedCapture const& capture)
{
    return MakeBlock(DibBlockSize(capture.width, capture.height), [&](std::uint8_t* data) {
        WriteDibBlock(capture.pixels.data(), capture.width, capture.height, data);
    });
}

// The formats a capture is offered in, in the order programs are to prefer
// them, each with how it is made and whether it is put there at once. A
// promise dies with the process that made it (a crash, End task), and
// clipboard history asks for every format of every capture at once: "PNG",
// already encoded, costs only a copy and goes at once, so that the capture
// outlives the program; the bitmaps, which cost time and memory to build,
// stay promised.
struct OfferedFormat {
    UINT (*id)();
    HGLOBAL (*make)(OfferedCapture const&);
    bool immediate;
};
OfferedFormat const kOfferedFormats[] = {
    {PngFormat, MakePng, true},
    {[]() -> UINT { return CF_DIBV5; }, MakeDibV5, false},
    {[]() -> UINT { return CF_DIB; }, MakeDib, false},
};

// Puts one format, made now or promised, on the open clipboard; whether the
// clipboard took it.
bool Offer(OfferedFormat const& format)
{
    if (format.immediate) {
        HGLOBAL const block = format.make(offered);
        if (block != nullptr && SetClipboardData(format.id(), block) != nullptr)
            return true;
        // The system owns a block it took; one it refused is still ours.
        if (block != nullptr)
            GlobalFree(block);
        return false;
    }
    // A promise returns no handle either way; only the last error tells.
    SetLastError(ERROR_SUCCESS);
    SetClipboardData(format.id(), nullptr);
    return GetLastError() == ERROR_SUCCESS;
}

HGLOBAL MakeFormat(UINT format)
{
    auto const offer = std::find_if(std::begin(kOfferedFormats), std::end(kOfferedFormats),
                                    [&](OfferedFormat const& candidate) { return candidate.id() == format; });
    return offer == std::end(kOfferedFormats) ? nullptr : offer->make(offered);
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

} // namespace

ClipboardStatus CopyCaptureToClipboard(HWND owner, std::span<const std::uint8_t> png, const std::uint32_t* pixels,
                                       std::int32_t width, std::int32_t height)
{
    if (!OpenClipboardWhenFree(owner))
        return ClipboardStatus::Busy;
    // Emptying sends the previous owner, perhaps this window,
    // WM_DESTROYCLIPBOARD: the new capture is kept only after it.
    EmptyClipboard();
    offered.png.assign(png.begin(), png.end());
    offered.pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    offered.width = width;
    offered.height = height;
    bool offeredAny = false;
    for (OfferedFormat const& format : kOfferedFormats)
        offeredAny = Offer(format) || offeredAny;
    CloseClipboard();
    return offeredAny ? ClipboardStatus::Copied : ClipboardStatus::Failed;
}

void RenderClipboardFormat(UINT format)
{
    // The system owns a block it took; one it refused is still ours.
    if (HGLOBAL const block = MakeFormat(format); block != nullptr && SetClipboardData(format, block) == nullptr)
        GlobalFree(block);
}

void RenderAllClipboardFormats(HWND owner)
{
    if (!OpenClipboard(owner))
        return;
    if (GetClipboardOwner() == owner) {
        for (OfferedFormat const& format : kOfferedFormats) {
            if (!format.immediate)
                RenderClipboardFormat(format.id());
        }
    }
    CloseClipboard();
}

void ForgetClipboardCapture()
{
    offered = {};
}
