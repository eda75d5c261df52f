#include "png/png_container.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using Pixels = std::vector<std::uint32_t>;

// A few colours of differing alpha in random order, each row repeated once:
// deflate finds matches everywhere, also across the bands' boundaries, which
// only decode right when each band was primed with the bytes before it.
Pixels RepetitivePixels(std::int32_t width, std::int32_t height)
{
    static constexpr std::uint32_t kColours[] = {0x00000000u, 0xFF102030u, 0x80FFFFFFu, 0x01020304u};
    std::mt19937 random(11);
    Pixels pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        std::size_t const y = i / static_cast<std::size_t>(width);
        pixels[i] = y % 2 == 1 ? pixels[i - static_cast<std::size_t>(width)] : kColours[random() % 4];
    }
    return pixels;
}

// libspng's reading of `png`, with the checksums of the chunks and of the
// zlib stream verified, back in the writer's blue-first order.
bool Decode(const std::vector<std::uint8_t>& png, Pixels& pixels, std::uint32_t& width, std::uint32_t& height)
{
    spng_ctx* const context = spng_ctx_new(0);
    spng_ihdr header{};
    std::size_t size = 0;
    bool decoded = context != nullptr && spng_set_png_buffer(context, png.data(), png.size()) == 0 &&
                   spng_get_ihdr(context, &header) == 0 &&
                   spng_decoded_image_size(context, SPNG_FMT_RGBA8, &size) == 0;
    if (decoded) {
        pixels.resize(size / 4);
        decoded = spng_decode_image(context, pixels.data(), size, SPNG_FMT_RGBA8, 0) == 0;
    }
    spng_ctx_free(context);
    for (std::uint32_t& p : pixels)
        p = (p & 0xFF00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
    width = header.width;
    height = header.height;
    return decoded && header.bit_depth == 8 && header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
}

struct BandCase {
    const char* name;
    std::int32_t width, height;
    unsigned bands;
};

class EncodePngInBands : public testing::TestWithParam<BandCase> {};

TEST_P(EncodePngInBands, DecodesToEveryPixelExactly)
{
    BandCase const& c = GetParam();
    Pixels const pixels = RepetitivePixels(c.width, c.height);

    std::vector<std::uint8_t> png;
    ASSERT_TRUE(EncodePng(pixels.data(), c.width, c.height, c.bands, png));

    Pixels decoded;
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(Decode(png, decoded, width, height));
    EXPECT_EQ(width, static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(height, static_cast<std::uint32_t>(c.height));
    ASSERT_EQ(decoded.size(), pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i)
        ASSERT_EQ(decoded[i], pixels[i]) << "pixel " << i % c.width << "," << i / c.width;
}

INSTANTIATE_TEST_SUITE_P(
    OddSizes, EncodePngInBands,
    testing::Values(BandCase{"OnePixel", 1, 1, 1}, BandCase{"OneRowSevenBands", 9, 1, 7},
                    BandCase{"FewerRowsThanBands", 13, 2, 3}, BandCase{"WidthOneTwoBands", 1, 31, 2},
                    BandCase{"WidthOneSevenBands", 1, 50, 7}, BandCase{"OneBand", 97, 61, 1},
                    BandCase{"TwoBands", 97, 61, 2}, BandCase{"ThreeBands", 101, 67, 3},
                    BandCase{"SevenBands", 211, 123, 7}, BandCase{"ZeroBandsMeansOne", 17, 5, 0},
                    // A row longer than deflate's window: bands are primed from part of one row.
                    BandCase{"RowsWiderThanTheWindow", 9001, 6, 3}),
    [](const testing::TestParamInfo<BandCase>& info) { return info.param.name; });

// Priming each band with the rows before it is what keeps the file as small
// as one pass makes it; a band that starts cold pays for its first rows again.
TEST(EncodePng, BandsCostAlmostNothingInSize)
{
    std::int32_t const width = 2000, height = 140;
    Pixels const pixels = RepetitivePixels(width, height);
    std::vector<std::uint8_t> onePass, sevenBands;
    ASSERT_TRUE(EncodePng(pixels.data(), width, height, 1, onePass));
    ASSERT_TRUE(EncodePng(pixels.data(), width, height, 7, sevenBands));
    EXPECT_LE(sevenBands.size(), onePass.size() + 6 * 40) << "one pass " << onePass.size();
}

struct RejectCase {
    const char* name;
    std::int32_t width, height;
};

class EncodePngRejects : public testing::TestWithParam<RejectCase> {};

TEST_P(EncodePngRejects, SizesWithoutPixels)
{
    std::uint32_t const pixel = 0xFF000000u;
    std::vector<std::uint8_t> png;
    EXPECT_FALSE(EncodePng(&pixel, GetParam().width, GetParam().height, 2, png));
}

INSTANTIATE_TEST_SUITE_P(Empty, EncodePngRejects,
                         testing::Values(RejectCase{"ZeroWidth", 0, 1}, RejectCase{"ZeroHeight", 1, 0},
                                         RejectCase{"NegativeWidth", -1, 1}, RejectCase{"NegativeHeight", 1, -5}),
                         [](const testing::TestParamInfo<RejectCase>& info) { return info.param.name; });

} // namespace
