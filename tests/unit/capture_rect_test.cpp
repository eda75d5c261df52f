#include "capture/capture_rect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kScreenWidth = 1280;
constexpr std::int32_t kScreenHeight = 1024;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct RectCase {
    const char* name;
    CaptureRect window;
    CaptureRect expected;
};

class CaptureRectAroundTable : public testing::TestWithParam<RectCase> {};

TEST_P(CaptureRectAroundTable, GrowsByTheMarginAndClampsToTheScreen)
{
    RectCase const c = GetParam();
    CaptureRect const rect = CaptureRectAround(c.window, kScreenWidth, kScreenHeight);
    EXPECT_EQ(rect.left, c.expected.left);
    EXPECT_EQ(rect.top, c.expected.top);
    EXPECT_EQ(rect.right, c.expected.right);
    EXPECT_EQ(rect.bottom, c.expected.bottom);
}

// Window rectangles are given so that the grown edge is the interesting value:
// a window edge of 16 grows to 1, 15 to 0, -5 to -20.
INSTANTIATE_TEST_SUITE_P(Edges, CaptureRectAroundTable, testing::Values(
    RectCase{"inside", {100, 100, 300, 200}, {85, 85, 315, 215}},
    RectCase{"grown_left_1_stays", {16, 100, 300, 200}, {1, 85, 315, 215}},
    RectCase{"grown_left_0_is_0", {15, 100, 300, 200}, {0, 85, 315, 215}},
    RectCase{"grown_left_negative_is_0", {-5, 100, 300, 200}, {0, 85, 315, 215}},
    RectCase{"grown_top_1_stays", {100, 16, 300, 200}, {85, 1, 315, 215}},
    RectCase{"grown_top_0_is_0", {100, 15, 300, 200}, {85, 0, 315, 215}},
    RectCase{"grown_top_negative_is_0", {100, -5, 300, 200}, {85, 0, 315, 215}},
    RectCase{"grown_right_below_screen_stays", {100, 100, kScreenWidth - 16, 200}, {85, 85, kScreenWidth - 1, 215}},
    RectCase{"grown_right_at_screen", {100, 100, kScreenWidth - 15, 200}, {85, 85, kScreenWidth, 215}},
    RectCase{"grown_right_beyond_screen", {100, 100, kScreenWidth + 40, 200}, {85, 85, kScreenWidth, 215}},
    RectCase{"grown_bottom_below_screen_stays", {100, 100, 300, kScreenHeight - 16}, {85, 85, 315, kScreenHeight - 1}},
    RectCase{"grown_bottom_at_screen", {100, 100, 300, kScreenHeight - 15}, {85, 85, 315, kScreenHeight}},
    RectCase{"grown_bottom_beyond_screen", {100, 100, 300, kScreenHeight + 40}, {85, 85, 315, kScreenHeight}},
    RectCase{"past_every_edge_is_the_screen", {-50, -50, kScreenWidth + 50, kScreenHeight + 50}, {0, 0, kScreenWidth, kScreenHeight}},
    RectCase{"no_window_is_the_top_left_corner", {0, 0, 0, 0}, {0, 0, 15, 15}},
    RectCase{"minimised_has_no_pixels", {-32000, -32000, -31840, -31973}, {0, 0, -31825, -31958}},
    RectCase{"right_of_the_screen_has_no_pixels", {kScreenWidth + 100, 100, kScreenWidth + 400, 200}, {kScreenWidth + 85, 85, kScreenWidth, 215}},
    RectCase{"extreme_values_do_not_overflow", {kMin, kMin, kMax, kMax}, {0, 0, kScreenWidth, kScreenHeight}},
    RectCase{"inverted_extremes_do_not_overflow", {kMax, kMax, kMin, kMin}, {kMax - 15, kMax - 15, kMin + 15, kMin + 15}}),
    [](const testing::TestParamInfo<RectCase>& info) { return info.param.name; });

TEST(CaptureRect, HasPixelsOnlyWithPositiveWidthAndHeight)
{
    struct {
        CaptureRect rect;
        bool hasPixels;
    } const cases[] = {
        {{0, 0, 15, 15}, true},
        {{5, 5, 6, 6}, true},
        {{5, 5, 5, 6}, false},
        {{5, 5, 6, 5}, false},
        {{kScreenWidth + 85, 85, kScreenWidth, 215}, false},
        {{0, 0, -31825, -31958}, false},
        {{kMax - 15, kMax - 15, kMin + 15, kMin + 15}, false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(HasPixels(c.rect), c.hasPixels) << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
}

} // namespace
