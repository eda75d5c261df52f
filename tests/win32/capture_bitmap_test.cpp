#include "capture/capture_bitmap_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

struct BitmapCase {
    const char* name;
    std::int32_t width, height;
    bool fill;
    std::uint32_t fillValue;
};

// One wine process per test costs seconds, so each table runs in one test.
void CheckBitmap(BitmapCase const& c)
{
    std::uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreateCaptureBitmap(c.width, c.height, &pixels, c.fill, c.fillValue);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(pixels, nullptr);

    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, c.width);
    EXPECT_EQ(section.dsBm.bmHeight, c.height);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(section.dsBm.bmWidthBytes, c.width * 4);
    EXPECT_EQ(section.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(section.dsBm.bmBits, pixels);

    std::uint32_t const expected = c.fill ? c.fillValue : 0;
    for (std::int64_t i = 0; i < std::int64_t{c.width} * c.height; ++i)
        ASSERT_EQ(pixels[i], expected) << i;

    // Drawing reaches the same memory, top row first: a pixel set at the
    // bottom-right through a DC is the last one in memory.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetPixelV(dc, c.width - 1, c.height - 1, RGB(0x12, 0x34, 0x56));
    GdiFlush();
    EXPECT_EQ(pixels[std::int64_t{c.width} * c.height - 1] & 0xFFFFFF, 0x123456u);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST(CaptureBitmap, GivesATopDownBitmapWithThePixelsAsked)
{
    BitmapCase const cases[] = {
        {"black_3x2", 3, 2, true, 0xFF000000},
        {"white_1x1", 1, 1, true, 0xFFFFFFFF},
        {"unfilled_is_zero", 7, 5, false, 0xFFFFFFFF},
        {"one_row", 300, 1, true, 0x01020304},
        {"one_column", 1, 300, true, 0x80000000},
    };
    for (BitmapCase const& c : cases) {
        SCOPED_TRACE(c.name);
        CheckBitmap(c);
    }
}

TEST(CaptureBitmap, NoSizeOrTooLargeMakesNothing)
{
    std::int32_t const kMin = std::numeric_limits<std::int32_t>::min();
    struct {
        std::int32_t width, height;
    } const cases[] = {{0, 5}, {5, 0}, {0, 0}, {-3, 5}, {5, -3}, {kMin, 1}, {1, kMin}};
    for (auto const& c : cases) {
        std::uint32_t sentinel = 0;
        std::uint32_t* pixels = &sentinel;
        EXPECT_EQ(CreateCaptureBitmap(c.width, c.height, &pixels, true, 0xFFFFFFFF), nullptr) << c.width << "x" << c.height;
        EXPECT_EQ(pixels, nullptr);
        EXPECT_EQ(sentinel, 0u);
    }

    std::uint32_t* pixels = nullptr;
    EXPECT_EQ(CreateCaptureBitmap(1 << 16, 1 << 16, &pixels, true, 0xFF000000), nullptr);
    EXPECT_EQ(pixels, nullptr);
}

} // namespace
