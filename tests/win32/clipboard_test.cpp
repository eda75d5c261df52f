// The clipboard as a capture leaves it, read back in this process from a
// window that makes no promised format: what is there without anyone asking
// the program is what outlives it.
#include "output/clipboard_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct FormatRow {
    char const* name;
    UINT (*id)();
    bool atOnce; // its data is there before anyone asks the program
};
FormatRow const kFormatRows[] = {
    {"PNG", [] { return RegisterClipboardFormatW(L"PNG"); }, true},
    {"CF_DIBV5", [] { return static_cast<UINT>(CF_DIBV5); }, false},
    {"CF_DIB", [] { return static_cast<UINT>(CF_DIB); }, false},
};

std::vector<std::uint8_t> BytesOf(HANDLE data)
{
    std::vector<std::uint8_t> bytes;
    if (auto const* start = static_cast<std::uint8_t const*>(GlobalLock(data))) {
        bytes.assign(start, start + GlobalSize(data));
        GlobalUnlock(data);
    }
    return bytes;
}

TEST(Clipboard, HoldsThePngAtOnceAndPromisesTheBitmaps)
{
    // A plain static control leaves WM_RENDERFORMAT unanswered: a promised
    // format then gives nothing.
    HWND const owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    std::vector<std::uint8_t> const png = {0x89, 'P', 'N', 'G', 1, 2, 3};
    std::uint32_t const pixels[4] = {0xFF102030, 0x80FFFFFF, 0x00000000, 0xFFFFFFFF};
    ASSERT_EQ(CopyCaptureToClipboard(owner, png, pixels, 2, 2), ClipboardStatus::Copied);

    ASSERT_TRUE(OpenClipboard(nullptr));
    for (FormatRow const& row : kFormatRows) {
        EXPECT_TRUE(IsClipboardFormatAvailable(row.id())) << row.name;
        HANDLE const data = GetClipboardData(row.id());
        EXPECT_EQ(data != nullptr, row.atOnce) << row.name;
    }
    HANDLE const pngData = GetClipboardData(kFormatRows[0].id());
    std::vector<std::uint8_t> held = pngData != nullptr ? BytesOf(pngData) : std::vector<std::uint8_t>{};
    held.resize(std::min(held.size(), png.size()));
    EXPECT_EQ(held, png) << "the PNG on the clipboard is the capture's file";
    EmptyClipboard();
    CloseClipboard();
    ForgetClipboardCapture();
    DestroyWindow(owner);
}

} // namespace
