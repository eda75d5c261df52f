#include "output/clipboard_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

std::uint32_t Read32(std::vector<std::uint8_t> const& block, std::size_t at)
{
    return block[at] | block[at + 1] << 8 | block[at + 2] << 16 | static_cast<std::uint32_t>(block[at + 3]) << 24;
}

// A 3 x 2 capture: its top row opaque red, half-transparent green and a
// transparent pixel with colour left in it; its bottom row white, black and
// nearly transparent blue.
std::vector<std::uint32_t> const kCapture = {0xFFFF0000, 0x8000FF00, 0x00123456,
                                            0xFFFFFFFF, 0xFF000000, 0x010000FF};

std::vector<std::uint8_t> DibV5Of(std::vector<std::uint32_t> const& pixels, std::int32_t width, std::int32_t height)
{
    std::vector<std::uint8_t> block(DibV5BlockSize(width, height), 0xEE);
    WriteDibV5Block(pixels.data(), width, height, block.data());
    return block;
}

std::vector<std::uint8_t> DibOf(std::vector<std::uint32_t> const& pixels, std::int32_t width, std::int32_t height)
{
    std::vector<std::uint8_t> block(DibBlockSize(width, height), 0xEE);
    WriteDibBlock(pixels.data(), width, height, block.data());
    return block;
}

TEST(ClipboardImage, DibV5KeepsStraightAlphaBottomUp)
{
    std::vector<std::uint8_t> const block = DibV5Of(kCapture, 3, 2);
    ASSERT_EQ(block.size(), 124u + 24u);
    struct Field {
        std::size_t offset;
        std::uint32_t value;
    };
    Field const header[] = {
        {0, 124}, {4, 3}, {8, 2}, {12, 1 | 32 << 16}, {16, 3 /* BI_BITFIELDS */}, {20, 24},
        {40, 0x00FF0000}, {44, 0x0000FF00}, {48, 0x000000FF}, {52, 0xFF000000}, {56, 0x73524742 /* sRGB */},
        {60, 0}, {96, 0}, {108, 4 /* LCS_GM_IMAGES */}, {112, 0}, {116, 0}, {120, 0},
    };
    for (Field const& field : header)
        EXPECT_EQ(Read32(block, field.offset), field.value) << "header offset " << field.offset;
    std::uint32_t const rows[] = {0xFFFFFFFF, 0xFF000000, 0x010000FF, // the bottom row first
                                  0xFFFF0000, 0x8000FF00, 0x00000000}; // colour gone where alpha is 0
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(Read32(block, 124 + 4 * i), rows[i]) << "pixel " << i;
}

TEST(ClipboardImage, DibIsTheCaptureOverWhiteInPaddedRows)
{
    std::vector<std::uint8_t> const block = DibOf(kCapture, 3, 2);
    ASSERT_EQ(block.size(), 40u + 2 * 12u);
    EXPECT_EQ(Read32(block, 0), 40u);
    EXPECT_EQ(Read32(block, 12), 1u | 24u << 16);
    EXPECT_EQ(Read32(block, 16), 0u); // BI_RGB
    EXPECT_EQ(Read32(block, 20), 24u);
    std::vector<std::uint8_t> const rows = {
        0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFE, 0xFE, 0, 0, 0, // white, black, blue at alpha 1
        0x00, 0x00, 0xFF, 0x7F, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, // red, green at half, white
    };
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 40, block.end()), rows);
}

TEST(ClipboardImage, OverWhiteRoundsToTheNearestValue)
{
    struct Case {
        std::uint32_t pixel;
        std::uint32_t expected;
    };
    Case const cases[] = {
        {0x00000000, 0xFFFFFFFF}, {0xFF123456, 0xFF123456}, {0x80000000, 0xFF7F7F7F},
        {0x7F000000, 0xFF808080}, {0xFE000000, 0xFF010101}, {0x01FFFFFF, 0xFFFFFFFF},
    };
    for (Case const& c : cases)
        EXPECT_EQ(OverWhite(c.pixel), c.expected) << std::hex << c.pixel;
}

TEST(ClipboardImage, NoBlockForNoPixelsOrPastTheHeadersSizes)
{
    std::int32_t const huge = std::numeric_limits<std::int32_t>::max();
    std::int32_t const sizes[][2] = {{0, 1}, {1, 0}, {-1, 5}, {huge, huge}, {65536, 16384}, {1, huge}};
    for (auto const& size : sizes) {
        EXPECT_EQ(DibV5BlockSize(size[0], size[1]), 0u) << size[0] << "x" << size[1];
        EXPECT_EQ(DibBlockSize(size[0], size[1]), 0u) << size[0] << "x" << size[1];
    }
    EXPECT_EQ(DibV5BlockSize(16384, 16384), 124u + 16384u * 16384u * 4u);
}

} // namespace
