#include "tests/e2e/clipboard_contents_win32.h"

#include "tests/e2e/program_process_win32.h"

#include <cstring>

namespace {

// Lucidframe holds the clipboard for the moment of a copy.
DWORD const kOpenTimeoutMs = 2000;

void OpenTheClipboard()
{
    WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, kOpenTimeoutMs, "the clipboard", {});
}

std::vector<std::uint8_t> Bytes(UINT format)
{
    std::vector<std::uint8_t> bytes;
    HANDLE const data = GetClipboardData(format);
    if (data == nullptr)
        return bytes;
    if (auto const* start = static_cast<const std::uint8_t*>(GlobalLock(data))) {
        bytes.assign(start, start + GlobalSize(data));
        GlobalUnlock(data);
    }
    return bytes;
}

// The rows of a bottom-up device-independent bitmap, top row first.
std::vector<std::uint32_t> PixelsOf(std::vector<std::uint8_t> const& block, std::size_t offset, std::int32_t width,
                                    std::int32_t height, int bytesPerPixel)
{
    std::size_t const rowBytes = (static_cast<std::size_t>(width) * bytesPerPixel + 3) / 4 * 4;
    std::vector<std::uint32_t> pixels;
    if (block.size() < offset + rowBytes * height)
        return pixels;
    for (std::int32_t y = height - 1; y >= 0; --y) {
        std::uint8_t const* row = block.data() + offset + rowBytes * y;
        for (std::int32_t x = 0; x < width; ++x, row += bytesPerPixel) {
            std::uint32_t pixel = 0xFF000000u | row[2] << 16 | row[1] << 8 | row[0];
            if (bytesPerPixel == 4)
                pixel = static_cast<std::uint32_t>(row[3]) << 24 | (pixel & 0x00FFFFFF);
            pixels.push_back(pixel);
        }
    }
    return pixels;
}

} // namespace

ClipboardCapture ReadClipboardCapture()
{
    ClipboardCapture capture;
    OpenTheClipboard();
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
        capture.formats.push_back(format);
    capture.png = Bytes(RegisterClipboardFormatW(L"PNG"));
    std::vector<std::uint8_t> const dibV5 = Bytes(CF_DIBV5);
    std::vector<std::uint8_t> const dib = Bytes(CF_DIB);
    CloseClipboard();

    BITMAPV5HEADER v5 = {};
    BITMAPINFOHEADER info = {};
    if (dibV5.size() < sizeof v5 || dib.size() < sizeof info) {
        capture.fault = "a bitmap is missing";
        return capture;
    }
    std::memcpy(&v5, dibV5.data(), sizeof v5);
    std::memcpy(&info, dib.data(), sizeof info);
    if (v5.bV5Size != sizeof v5 || v5.bV5BitCount != 32 || v5.bV5Compression != BI_BITFIELDS ||
        v5.bV5RedMask != 0x00FF0000 || v5.bV5GreenMask != 0x0000FF00 || v5.bV5BlueMask != 0x000000FF ||
        v5.bV5AlphaMask != 0xFF000000 || v5.bV5Height <= 0)
        capture.fault = "CF_DIBV5 is not 32-bit, bottom-up, with straight alpha in the top byte";
    else if (info.biSize != sizeof info || info.biBitCount != 24 || info.biCompression != BI_RGB ||
             info.biWidth != v5.bV5Width || info.biHeight != v5.bV5Height)
        capture.fault = "CF_DIB is not 24-bit, bottom-up, of CF_DIBV5's size";
    capture.width = v5.bV5Width;
    capture.height = v5.bV5Height;
    capture.dibV5 = PixelsOf(dibV5, sizeof v5, capture.width, capture.height, 4);
    capture.dib = PixelsOf(dib, sizeof info, capture.width, capture.height, 3);
    return capture;
}

void PutTextOnClipboard(std::wstring const& text)
{
    HGLOBAL const block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    OpenTheClipboard();
    EmptyClipboard();
    bool const taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    if (!taken)
        Fail("cannot put a text on the clipboard");
}

std::wstring ClipboardText()
{
    OpenTheClipboard();
    std::wstring text;
    if (HANDLE const data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<wchar_t const*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

ClipboardHeld::ClipboardHeld()
{
    OpenTheClipboard();
}

ClipboardHeld::~ClipboardHeld()
{
    CloseClipboard();
}
