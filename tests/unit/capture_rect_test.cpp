#include "capture/capture_rect.h"
#include "capture/screen_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <ostream>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t kScreenWidth = 1280;
constexpr std::int32_t kScreenHeight = 1024;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct RectCase {
    const char* name;
    CaptureRect window;
    CaptureRect expected;
    std::int32_t margin = kCaptureMargin;
};

class CaptureRectAroundTable : public testing::TestWithParam<RectCase> {};

TEST_P(CaptureRectAroundTable, GrowsByTheMarginAndClampsToTheScreen)
{
    RectCase const c = GetParam();
    CaptureRect const rect = CaptureRectAround(c.window, {0, 0, kScreenWidth, kScreenHeight}, c.margin);
    EXPECT_EQ(rect.left, c.expected.left);
    EXPECT_EQ(rect.top, c.expected.top);
    EXPECT_EQ(rect.right, c.expected.right);
    EXPECT_EQ(rect.bottom, c.expected.bottom);
}

// Window rectangles are given so that the grown edge is the interesting value:
// a window edge of 16 grows to 1, 15 to 0, -5 to -20.
INSTANTIATE_TEST_SUITE_P(Edges, CaptureRectAroundTable, testing::Values(
    RectCase{"inside", {100, 100, 300, 200}, {85, 85, 315, 215}},
    RectCase{"inside_with_the_widest_margin", {300, 300, 400, 400}, {172, 172, 528, 528}, 128},
    RectCase{"widest_margin_clamped", {100, 100, 300, 200}, {0, 0, 428, 328}, 128},
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

// Monitors as EnumDisplayMonitors reports them, and a window on them: the
// capture rectangle clamped to the virtual screen, and how many of its pixels
// lie on no monitor and come out transparent.
struct LayoutCase {
    char const* name;
    std::vector<CaptureRect> monitors;
    CaptureRect window;
    CaptureRect expected;
    std::int64_t offMonitors;
};

void PrintTo(LayoutCase const& c, std::ostream* out)
{
    *out << c.name;
}

CaptureRect BoundsOf(std::vector<CaptureRect> const& monitors)
{
    CaptureRect bounds = monitors.front();
    for (CaptureRect const& m : monitors)
        bounds = {std::min(bounds.left, m.left), std::min(bounds.top, m.top), std::max(bounds.right, m.right),
                  std::max(bounds.bottom, m.bottom)};
    return bounds;
}

class MonitorLayoutTable : public testing::TestWithParam<LayoutCase> {};

TEST_P(MonitorLayoutTable, ClampsToTheVirtualScreenAndClearsWhatNoMonitorShows)
{
    LayoutCase const c = GetParam();
    CaptureRect const rect = CaptureRectAround(c.window, BoundsOf(c.monitors), kCaptureMargin);
    EXPECT_EQ(rect.left, c.expected.left);
    EXPECT_EQ(rect.top, c.expected.top);
    EXPECT_EQ(rect.right, c.expected.right);
    EXPECT_EQ(rect.bottom, c.expected.bottom);

    std::int32_t const width = rect.right - rect.left;
    std::int32_t const height = rect.bottom - rect.top;
    std::vector<std::uint32_t> image(static_cast<std::size_t>(width) * height, 0xFF336699u);
    ClearPixelsOffMonitors(image.data(), width, height, InFrame(c.monitors, rect));
    std::int64_t cleared = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            bool const onAMonitor = std::any_of(c.monitors.begin(), c.monitors.end(), [&](CaptureRect const& m) {
                return rect.left + x >= m.left && rect.left + x < m.right && rect.top + y >= m.top &&
                       rect.top + y < m.bottom;
            });
            std::uint32_t const pixel = image[static_cast<std::size_t>(y) * width + x];
            ASSERT_EQ(pixel, onAMonitor ? 0xFF336699u : 0u) << x << "," << y;
            cleared += pixel == 0;
        }
    }
    EXPECT_EQ(cleared, c.offMonitors);
}

std::vector<CaptureRect> const kOneMonitor = {{0, 0, kScreenWidth, kScreenHeight}};
// The test display's two monitors: a 1024x768 primary with a 1280x1024 one on
// its right, which leaves a 1024x256 gap under the primary.
std::vector<CaptureRect> const kSecondaryRight = {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}};
std::vector<CaptureRect> const kSecondaryLeft = {{-1280, 0, 0, 1024}, {0, 0, 1024, 768}};
std::vector<CaptureRect> const kSecondaryAbove = {{0, -1080, 1920, 0}, {0, 0, 1280, 1024}};
// A wide primary with a shorter monitor on its right: an L, with a gap under
// the second monitor.
std::vector<CaptureRect> const kLShaped = {{0, 0, 1920, 1080}, {1920, 0, 3200, 720}};

INSTANTIATE_TEST_SUITE_P(Layouts, MonitorLayoutTable, testing::Values(
    LayoutCase{"one_monitor_inside", kOneMonitor, {100, 100, 300, 200}, {85, 85, 315, 215}, 0},
    LayoutCase{"one_monitor_past_every_edge", kOneMonitor, {-50, -50, kScreenWidth + 50, kScreenHeight + 50},
               {0, 0, kScreenWidth, kScreenHeight}, 0},
    LayoutCase{"one_monitor_partly_outside", kOneMonitor, {1200, -100, 1400, 100}, {1185, 0, kScreenWidth, 115}, 0},
    LayoutCase{"wholly_on_the_secondary_right", kSecondaryRight, {1300, 300, 1620, 500}, {1285, 285, 1635, 515}, 0},
    LayoutCase{"across_both_monitors", kSecondaryRight, {904, 200, 1144, 400}, {889, 185, 1159, 415}, 0},
    LayoutCase{"into_the_gap_under_the_primary", kSecondaryRight, {300, 600, 620, 900}, {285, 585, 635, 915},
               350 * 147},
    LayoutCase{"partly_outside_every_monitor", kSecondaryRight, {2200, 900, 2400, 1100}, {2185, 885, 2304, 1024},
               0},
    LayoutCase{"on_the_secondary_left_at_negative_x", kSecondaryLeft, {-300, 100, -100, 300}, {-315, 85, -85, 315},
               0},
    LayoutCase{"past_the_left_edge_of_the_secondary", kSecondaryLeft, {-1300, 900, -1100, 1000},
               {-1280, 885, -1085, 1015}, 0},
    LayoutCase{"across_the_secondary_above_at_negative_y", kSecondaryAbove, {1500, -200, 1700, 100},
               {1485, -215, 1715, 115}, 230 * 115},
    LayoutCase{"over_the_gap_of_an_l", kLShaped, {1800, 600, 2100, 900}, {1785, 585, 2115, 915}, 195 * 195}),
    [](testing::TestParamInfo<LayoutCase> const& info) { return info.param.name; });

// The runs of a row that no monitor covers, for overlapping, touching and
// outlying monitors.
TEST(SpansOffMonitors, AreTheGapsBetweenMonitorsInOrder)
{
    struct {
        std::vector<CaptureRect> monitors;
        std::int32_t y;
        std::vector<std::pair<std::int32_t, std::int32_t>> spans;
    } const cases[] = {
        {{}, 0, {{0, 100}}},
        {{{0, 0, 100, 10}}, 0, {}},
        {{{0, 0, 100, 10}}, 10, {{0, 100}}},
        {{{20, 0, 40, 10}, {60, 0, 80, 10}}, 5, {{0, 20}, {40, 60}, {80, 100}}},
        {{{60, 0, 80, 10}, {20, 0, 70, 10}}, 5, {{0, 20}, {80, 100}}},
        {{{-50, 0, 10, 10}, {10, 0, 30, 10}, {90, 0, 500, 10}}, 5, {{30, 90}}},
        {{{-50, 0, -10, 10}, {150, 0, 200, 10}}, 5, {{0, 100}}},
    };
    std::vector<PixelSpan> spans;
    for (auto const& c : cases) {
        SpansOffMonitors(c.monitors, c.y, 100, spans);
        std::vector<std::pair<std::int32_t, std::int32_t>> found;
        for (PixelSpan const span : spans)
            found.emplace_back(span.begin, span.end);
        EXPECT_EQ(found, c.spans) << c.monitors.size() << " monitors, row " << c.y;
    }
}

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
