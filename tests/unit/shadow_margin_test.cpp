#include "capture/shadow_margin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <vector>

namespace {

// A matted capture: a 100 x 60 opaque window with a shadow of alpha 60 that
// reaches `shadow` pixels out of it on each side, inside a capture rectangle
// that reaches `room` pixels out of it on each side (less than the margin
// where the screen cut it short), and, where given, an opaque window in front
// over part of it.
struct ShadowCase {
    char const* name;
    ShadowReach room;
    ShadowReach shadow;
    std::int32_t margin;
    CaptureRect inFront; // in the capture's coordinates; empty for none
    bool listed;         // whether the capture knows of the window in front
    ShadowReach reach;   // measured
    bool cut;
    std::int32_t nextMargin;
};

void PrintTo(ShadowCase const& c, std::ostream* out)
{
    *out << c.name;
}

std::int32_t const kWindowWidth = 100;
std::int32_t const kWindowHeight = 60;
std::int32_t const kWidest = 128;

class ShadowMarginTable : public testing::TestWithParam<ShadowCase> {};

TEST_P(ShadowMarginTable, WidensTheMarginOnlyForACutShadow)
{
    ShadowCase const c = GetParam();
    CaptureRect const rect = {0, 0, c.room.left + kWindowWidth + c.room.right, c.room.top + kWindowHeight + c.room.bottom};
    CaptureRect const window = {c.room.left, c.room.top, c.room.left + kWindowWidth, c.room.top + kWindowHeight};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(rect.right) * rect.bottom, 0);
    for (std::int32_t y = 0; y < rect.bottom; ++y) {
        for (std::int32_t x = 0; x < rect.right; ++x) {
            bool const inWindow = x >= window.left && x < window.right && y >= window.top && y < window.bottom;
            bool const inShadow = x >= window.left - c.shadow.left && x < window.right + c.shadow.right &&
                                  y >= window.top - c.shadow.top && y < window.bottom + c.shadow.bottom;
            bool const inFront = x >= c.inFront.left && x < c.inFront.right && y >= c.inFront.top && y < c.inFront.bottom;
            std::uint32_t& pixel = pixels[static_cast<std::size_t>(y) * rect.right + x];
            if (inWindow || inFront)
                pixel = 0xFF336699u;
            else if (inShadow)
                pixel = 0x3C000000u;
            else if (x == 0 || y == 0)
                pixel = 0x01000000u; // rounding's faint alpha at the edge: no shadow
        }
    }
    std::vector<CaptureRect> unseen;
    if (c.listed)
        unseen.push_back(c.inFront);
    ShadowReach const reach = MeasureShadowReach({pixels.data(), rect.right, rect.bottom, rect, window, unseen});
    EXPECT_EQ(reach.left, c.reach.left);
    EXPECT_EQ(reach.top, c.reach.top);
    EXPECT_EQ(reach.right, c.reach.right);
    EXPECT_EQ(reach.bottom, c.reach.bottom);
    EXPECT_EQ(ShadowIsCut(reach, c.margin), c.cut);
    EXPECT_EQ(MarginForShadow(reach, kWidest), c.nextMargin);
}

ShadowReach const kAround15 = {15, 15, 15, 15};
CaptureRect const kNone = {0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(Shadows, ShadowMarginTable, testing::Values(
    ShadowCase{"no_shadow", kAround15, {0, 0, 0, 0}, 15, kNone, true, {0, 0, 0, 0}, false, 15},
    ShadowCase{"shadow_inside_the_margin", kAround15, {4, 4, 14, 14}, 15, kNone, true, {4, 4, 14, 14}, false, 15},
    ShadowCase{"shadow_cut_on_one_side", kAround15, {4, 4, 20, 4}, 15, kNone, true, {4, 4, 15, 4}, true, 23},
    ShadowCase{"side_cut_short_by_the_screen", {3, 15, 15, 15}, {6, 6, 6, 6}, 15, kNone, true, {3, 6, 6, 6}, false,
               15},
    ShadowCase{"window_in_front_over_the_margin", kAround15, {2, 2, 2, 2}, 15, {110, 0, 130, 40}, true,
               {2, 2, 2, 2}, false, 15},
    ShadowCase{"window_in_front_unknown_to_the_capture", kAround15, {2, 2, 2, 2}, 15, {110, 0, 130, 40}, false,
               {2, 15, 15, 2}, true, 23},
    ShadowCase{"whole_at_the_widest_margin", {128, 128, 128, 128}, {40, 30, 70, 80}, 128, kNone, true,
               {40, 30, 70, 80}, false, 88},
    ShadowCase{"wider_than_the_widest_margin", {128, 128, 128, 128}, {200, 200, 200, 200}, 128, kNone, true,
               {128, 128, 128, 128}, true, 128}),
    [](testing::TestParamInfo<ShadowCase> const& info) { return info.param.name; });

TEST(WidestMargin, GrowsWithTheMonitorsScale)
{
    struct {
        std::uint32_t dpi;
        std::int32_t margin;
    } const cases[] = {{0, 128}, {96, 128}, {120, 160}, {144, 192}, {192, 256}, {10000, 512}};
    for (auto const& c : cases)
        EXPECT_EQ(WidestMargin(c.dpi), c.margin) << c.dpi;
}

// The remembered margin is kept at 100 % scaling and scaled at use: a shadow
// that needed 100 pixels at 200 % needs 100 again there and 50 at 100 %,
// never less than it did; the usual 15 pixels stay 15 at any scale.
TEST(RememberedMargin, FollowsTheMonitorsScale)
{
    struct {
        std::int32_t margin;  // physical pixels
        std::uint32_t dpi;    // of the monitor measured on
        std::int32_t remembered;
        std::uint32_t nextDpi; // of the next capture's monitor
        std::int32_t next;     // physical pixels
    } const cases[] = {
        {15, 192, 15, 96, 15},     // the usual margin, at any scale
        {15, 96, 15, 192, 15},
        {100, 192, 50, 192, 100},  // the same monitor: the same margin
        {100, 192, 50, 96, 50},    // to a monitor at 100 %: half
        {40, 96, 40, 192, 80},     // to one at 200 %: twice
        {23, 192, 16, 192, 32},    // a wider margin stays wider than the usual one
        {23, 144, 16, 144, 24},    // rounded up both ways at 150 %
        {128, 96, 128, 192, 256},  // the widest margin grows to the widest there
        {256, 192, 128, 96, 128},
        {512, 96, 128, 96, 128},   // at most the widest margin at 100 %
        {60, 0, 60, 0, 60},        // no scale known: 100 %
        {50, 120, 40, 120, 50},
    };
    for (auto const& c : cases) {
        std::int32_t const remembered = MarginToRemember(c.margin, c.dpi);
        EXPECT_EQ(remembered, c.remembered) << c.margin << " at " << c.dpi;
        EXPECT_EQ(MarginAtDpi(remembered, c.nextDpi), c.next) << c.remembered << " at " << c.nextDpi;
    }
}

} // namespace
