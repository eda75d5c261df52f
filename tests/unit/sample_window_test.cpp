#include "imaging/matting.h"
#include "tests/support/sample_window/sample_options.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::uint32_t Alpha(std::uint32_t pixel) { return pixel >> 24; }

std::vector<std::uint32_t> SampleImage(SampleMode mode, std::int32_t width, std::int32_t height)
{
    std::vector<std::uint32_t> image;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            image.push_back(SamplePixel(mode, x, y, width, height));
    }
    return image;
}

TEST(SamplePixel, PatternAlphaSpans8To255AndGrowsTowardTheBottomRight)
{
    for (auto [width, height] : {std::pair{320, 200}, {2, 1}, {1, 7}, {50, 50}}) {
        std::vector<std::uint32_t> const image = SampleImage(SampleMode::Pattern, width, height);
        EXPECT_EQ(Alpha(image.front()), 8u) << width << "x" << height;
        EXPECT_EQ(Alpha(image.back()), 255u) << width << "x" << height;
        for (std::int32_t y = 0; y < height; ++y) {
            for (std::int32_t x = 1; x < width; ++x)
                EXPECT_LE(Alpha(image[y * width + x - 1]), Alpha(image[y * width + x]));
        }
    }
    EXPECT_EQ(Alpha(SamplePixel(SampleMode::Pattern, 0, 0, 1, 1)), 255u);
}

struct ToleranceCase {
    const char* name;
    SampleMode mode;
    std::int32_t alphaChange;
    std::int32_t colourChange;
    bool matches;
};

class MatchesSampleTolerance : public testing::TestWithParam<ToleranceCase> {};

// The pixel at (5, 3) of a 20x10 image is changed in alpha and in green; its
// known alpha is 128 in constant mode (colour tolerance 1 + 510/128 = 4) and
// 255 in opaque mode (tolerance 3).
TEST_P(MatchesSampleTolerance, AcceptsAlphaWithin1AndColourWithin1Plus510OverAlpha)
{
    ToleranceCase const c = GetParam();
    std::vector<std::uint32_t> image = SampleImage(c.mode, 20, 10);
    std::uint32_t& pixel = image[3 * 20 + 5];
    std::int32_t const alpha = static_cast<std::int32_t>(Alpha(pixel)) + c.alphaChange;
    std::int32_t const green = static_cast<std::int32_t>((pixel >> 8) & 0xFF) + c.colourChange;
    ASSERT_TRUE(alpha >= 0 && alpha <= 255 && green >= 0 && green <= 255);
    pixel = (pixel & 0x00FF00FF) | std::uint32_t(alpha) << 24 | std::uint32_t(green) << 8;

    std::string mismatch;
    EXPECT_EQ(MatchesSample(c.mode, image.data(), 20, 10, mismatch), c.matches) << mismatch;
    if (!c.matches) {
        EXPECT_NE(mismatch.find("(5, 3)"), std::string::npos) << mismatch;
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, MatchesSampleTolerance, testing::Values(
    ToleranceCase{"exact", SampleMode::Constant, 0, 0, true},
    ToleranceCase{"alpha_plus_1", SampleMode::Constant, 1, 0, true},
    ToleranceCase{"alpha_minus_1", SampleMode::Constant, -1, 0, true},
    ToleranceCase{"alpha_plus_2", SampleMode::Constant, 2, 0, false},
    ToleranceCase{"alpha_minus_2", SampleMode::Constant, -2, 0, false},
    ToleranceCase{"colour_at_tolerance", SampleMode::Constant, 0, 4, true},
    ToleranceCase{"colour_past_tolerance", SampleMode::Constant, 0, 5, false},
    ToleranceCase{"colour_below_at_tolerance", SampleMode::Constant, 0, -4, true},
    ToleranceCase{"opaque_colour_at_tolerance", SampleMode::Opaque, -1, -3, true},
    ToleranceCase{"opaque_colour_past_tolerance", SampleMode::Opaque, 0, -4, false}),
    [](const testing::TestParamInfo<ToleranceCase>& info) { return info.param.name; });

TEST(MatchesSample, RejectsAnotherModeAndAnEmptyImage)
{
    std::vector<std::uint32_t> const opaque = SampleImage(SampleMode::Opaque, 30, 20);
    std::string mismatch;
    EXPECT_TRUE(MatchesSample(SampleMode::Opaque, opaque.data(), 30, 20, mismatch)) << mismatch;
    EXPECT_FALSE(MatchesSample(SampleMode::Pattern, opaque.data(), 30, 20, mismatch));
    EXPECT_NE(mismatch.find("(0, 0)"), std::string::npos) << mismatch;
    EXPECT_FALSE(MatchesSample(SampleMode::Opaque, opaque.data(), 0, 20, mismatch));
    EXPECT_NE(mismatch.find("0x20"), std::string::npos) << mismatch;
}

TEST(MatchesSample, AcceptsThePatternMattedFromScreenCopiesOffByOneStep)
{
    // The window composited over black and over white, the white copy one step
    // brighter than exact blending gives (the worst rounding of a compositor),
    // then matted as the capture mats it.
    std::int32_t const width = 64, height = 32;
    std::vector<std::uint32_t> const straight = SampleImage(SampleMode::Pattern, width, height);
    std::vector<std::uint32_t> black, white;
    for (std::uint32_t pixel : straight) {
        std::uint32_t const premultiplied = Premultiply(pixel);
        std::uint32_t const backdrop = 255 - Alpha(pixel) + 1;
        std::uint32_t overWhite = 0;
        for (int shift : {0, 8, 16})
            overWhite |= std::min<std::uint32_t>(((premultiplied >> shift) & 0xFF) + backdrop, 255) << shift;
        black.push_back(premultiplied & 0xFFFFFF);
        white.push_back(overWhite);
    }
    RecoverAlpha(black.data(), white.data(), width * height);
    std::string mismatch;
    EXPECT_TRUE(MatchesSample(SampleMode::Pattern, white.data(), width, height, mismatch)) << mismatch;
}

struct OptionsCase {
    const char* name;
    std::vector<std::wstring> arguments;
    bool valid;
    SampleOptions expected;
};

SampleOptions With(void (*change)(SampleOptions&))
{
    SampleOptions options;
    change(options);
    return options;
}

class ParseSampleOptionsTable : public testing::TestWithParam<OptionsCase> {};

TEST_P(ParseSampleOptionsTable, ReadsTheCommandLine)
{
    OptionsCase const& c = GetParam();
    SampleOptions options;
    ASSERT_EQ(ParseSampleOptions(c.arguments, options), c.valid);
    if (!c.valid)
        return;
    EXPECT_EQ(options.title, c.expected.title);
    EXPECT_EQ(options.x, c.expected.x);
    EXPECT_EQ(options.y, c.expected.y);
    EXPECT_EQ(options.width, c.expected.width);
    EXPECT_EQ(options.height, c.expected.height);
    EXPECT_EQ(options.mode, c.expected.mode);
    EXPECT_EQ(options.refuseZOrder, c.expected.refuseZOrder);
}

INSTANTIATE_TEST_SUITE_P(Arguments, ParseSampleOptionsTable, testing::Values(
    OptionsCase{"defaults", {}, true, With([](SampleOptions& o) { o.title = L"Lucidframe Sample"; o.x = 200; o.y = 150; o.width = 320; o.height = 200; })},
    OptionsCase{"everything", {L"--title", L"Glass 窗口", L"--x", L"-40", L"--y", L"7", L"--width", L"16384", L"--height", L"1", L"--mode", L"opaque"}, true,
                With([](SampleOptions& o) { o.title = L"Glass 窗口"; o.x = -40; o.y = 7; o.width = 16384; o.height = 1; o.mode = SampleMode::Opaque; })},
    OptionsCase{"flag_between_options", {L"--x", L"5", L"--refuse-zorder", L"--y", L"6"}, true,
                With([](SampleOptions& o) { o.x = 5; o.y = 6; o.refuseZOrder = true; })},
    OptionsCase{"flag_is_no_value", {L"--title", L"--refuse-zorder"}, true, With([](SampleOptions& o) { o.title = L"--refuse-zorder"; })},
    OptionsCase{"int32_limits", {L"--x", L"-2147483648", L"--y", L"2147483647"}, true, With([](SampleOptions& o) { o.x = INT32_MIN; o.y = INT32_MAX; })},
    OptionsCase{"beyond_int32", {L"--x", L"2147483648"}, false, {}},
    OptionsCase{"huge_number", {L"--x", L"99999999999999999999999"}, false, {}},
    OptionsCase{"missing_value", {L"--width"}, false, {}},
    OptionsCase{"unknown_option", {L"--depth", L"3"}, false, {}},
    OptionsCase{"not_a_number", {L"--x", L"12px"}, false, {}},
    OptionsCase{"lone_minus", {L"--x", L"-"}, false, {}},
    OptionsCase{"zero_width", {L"--width", L"0"}, false, {}},
    OptionsCase{"too_wide", {L"--width", L"16385"}, false, {}},
    OptionsCase{"unknown_mode", {L"--mode", L"Pattern"}, false, {}}),
    [](const testing::TestParamInfo<OptionsCase>& info) { return info.param.name; });

} // namespace
