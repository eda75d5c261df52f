#include "imaging/checkerboard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct BlendCase {
    std::uint32_t foreground, overLight, overDark;
};

class BlendOverTable : public testing::TestWithParam<BlendCase> {};

TEST_P(BlendOverTable, MatchesTheKnownPixel)
{
    BlendCase const c = GetParam();
    EXPECT_EQ(BlendOver(c.foreground, kCheckerLight), c.overLight) << std::hex << c.foreground;
    EXPECT_EQ(BlendOver(c.foreground, kCheckerDark), c.overDark) << std::hex << c.foreground;
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, BlendOverTable, testing::Values(
    BlendCase{0x00000000, 0xFEFEFEFE, 0xFECBCBCB},
    BlendCase{0xFFFFFFFF, 0xFEFEFEFE, 0xFEFEFEFE},
    BlendCase{0xFF000000, 0xFE000000, 0xFE000000},
    BlendCase{0xFF336699, 0xFE326598, 0xFE326598},
    BlendCase{0x80808080, 0xFEBEBEBE, 0xFEA5A5A5},
    BlendCase{0x40FF0000, 0xFEFEBEBE, 0xFED79898},
    BlendCase{0x01FFFFFF, 0xFEFEFEFE, 0xFECBCBCB}));

TEST(CompositeOnCheckerboard, SquaresAreAnchoredAtTheTopLeft)
{
    constexpr std::int32_t width = 20, height = 20;
    std::vector<std::uint32_t> image(width * height, 0);
    CompositeOnCheckerboard(image.data(), width, height);
    auto at = [&](int x, int y) { return image[y * width + x]; };
    for (auto [x, y] : {std::pair{0, 0}, {7, 7}, {16, 0}, {8, 8}})
        EXPECT_EQ(at(x, y), 0xFEFEFEFEu) << x << "," << y;
    for (auto [x, y] : {std::pair{8, 0}, {15, 0}, {0, 8}, {7, 15}})
        EXPECT_EQ(at(x, y), 0xFECBCBCBu) << x << "," << y;
}

TEST(CompositeOnCheckerboard, EmptySizesLeaveTheBufferUnchanged)
{
    std::uint32_t pixel = 0x12345678;
    CompositeOnCheckerboard(&pixel, 0, 1);
    CompositeOnCheckerboard(&pixel, 1, 0);
    CompositeOnCheckerboard(&pixel, -5, 3);
    EXPECT_EQ(pixel, 0x12345678u);
}

} // namespace
