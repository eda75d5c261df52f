#include "imaging/checkerboard.h"

#include "instruction_set_param.h"
#include "tests/support/imaging_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
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

// Every foreground byte at every alpha over both square colours; the colour
// channels differ so that a swapped channel shows.
TEST(BlendOver, EveryByteAndAlphaOverBothSquares)
{
    for (std::uint32_t background : {kCheckerLight, kCheckerDark})
        for (std::uint32_t a = 0; a < 256; ++a)
            for (std::uint32_t f = 0; f < 256; ++f) {
                std::uint32_t const pixel = a << 24 | (255 - f) << 16 | (f ^ 0x5A) << 8 | f;
                ASSERT_EQ(BlendOver(pixel, background), reference::Blend(pixel, background))
                    << std::hex << "pixel 0x" << pixel << " over 0x" << background;
            }
}

class CompositePaths : public EveryInstructionSet {};

void ExpectComposite(std::vector<std::uint32_t> image, std::int32_t width, std::int32_t height)
{
    std::vector<std::uint32_t> expected = image;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            expected[y * width + x] = reference::Blend(image[y * width + x], reference::CheckerAt(x, y));

    CompositeOnCheckerboard(image.data(), width, height);

    for (std::size_t i = 0; i < image.size(); ++i)
        ASSERT_EQ(image[i], expected[i]) << width << "x" << height << ", first difference at pixel " << i << " (x "
                                         << i % width << ", y " << i / width << ")";
}

TEST_P(CompositePaths, SquaresAreAnchoredAtTheTopLeft)
{
    constexpr std::int32_t width = 20, height = 20;
    std::vector<std::uint32_t> image(width * height, 0);
    CompositeOnCheckerboard(image.data(), width, height);
    auto at = [&](int x, int y) { return image[y * width + x]; };
    for (auto [x, y] : {std::pair{0, 0}, {7, 7}, {16, 0}, {8, 8}})
        EXPECT_EQ(at(x, y), 0xFEFEFEFEu) << x << "," << y;
    for (auto [x, y] : {std::pair{8, 0}, {15, 0}, {0, 8}, {7, 15}})
        EXPECT_EQ(at(x, y), 0xFECBCBCBu) << x << "," << y;

    std::vector<std::uint32_t> small(5 * 5, 0);
    CompositeOnCheckerboard(small.data(), 5, 5);
    EXPECT_EQ(small, std::vector<std::uint32_t>(5 * 5, 0xFEFEFEFEu));
}

// Columns x and x + 8 share a foreground byte but lie on different squares,
// so 512 columns carry every byte over both colours, and the rows every alpha.
TEST_P(CompositePaths, EveryByteAndAlphaOverBothSquares)
{
    constexpr std::int32_t width = 512, height = 256;
    std::vector<std::uint32_t> image(width * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t const f = x % 8 + 8 * (x / 16);
            image[y * width + x] = y << 24 | (255 - f) << 16 | (f ^ 0xA5) << 8 | f;
        }
    ExpectComposite(image, width, height);
}

// Widths around every vector width, so rows start at every alignment and end
// in every tail length.
TEST_P(CompositePaths, EveryWidthMatchesTheReference)
{
    std::mt19937 random(3);
    for (std::int32_t width = 1; width <= 40; ++width)
        for (std::int32_t height : {1, 3, 17}) {
            std::vector<std::uint32_t> image(width * height);
            for (std::uint32_t& pixel : image)
                pixel = static_cast<std::uint32_t>(random());
            ExpectComposite(image, width, height);
        }
}

TEST_P(CompositePaths, EmptySizesLeaveTheBufferUnchanged)
{
    std::uint32_t pixel = 0x12345678;
    CompositeOnCheckerboard(&pixel, 0, 1);
    CompositeOnCheckerboard(&pixel, 1, 0);
    CompositeOnCheckerboard(&pixel, -5, 3);
    EXPECT_EQ(pixel, 0x12345678u);
}

INSTANTIATE_TEST_SUITE_P(, CompositePaths, EveryInstructionSetValue(), InstructionSetParamName);

} // namespace
