#include "capture/capture_policy.h"

#include "capture/shadow_margin.h"
#include "fake_screen.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace {

int Channel(std::uint32_t pixel, int index)
{
    return static_cast<int>(pixel >> (8 * index) & 0xFF);
}

FakeScene WithContent(SampleMode mode)
{
    FakeScene scene;
    scene.content = [mode](std::int32_t x, std::int32_t y, int) { return SamplePixel(mode, x, y, 120, 80); };
    return scene;
}

// A window that fills the screen: no side has room for the tag ring.
FakeScene FillingTheScreen(FakeScene scene)
{
    scene.window = scene.screen;
    std::int32_t const width = scene.screen.right - scene.screen.left;
    std::int32_t const height = scene.screen.bottom - scene.screen.top;
    scene.content = [width, height](std::int32_t x, std::int32_t y, int) {
        return SamplePixel(SampleMode::Pattern, x, y, width, height);
    };
    return scene;
}

// A window that repaints between any two copies, as a playing video does.
FakeScene Changing(FakeScene scene)
{
    auto const still = scene.content;
    std::int32_t const width = scene.window.right - scene.window.left;
    scene.content = [still, width](std::int32_t x, std::int32_t y, int copy) {
        return still((x + 16 * copy) % width, y, copy);
    };
    return scene;
}

// A black shadow from 0 to 60 %, the same down each column, as a screen that
// brightens SDR content shows without clipping any of it.
FakeScene BlackShadow(FakeScene scene)
{
    std::int32_t const last = scene.window.right - scene.window.left - 1;
    scene.content = [last](std::int32_t x, std::int32_t, int) { return static_cast<std::uint32_t>(x * 153 / last) << 24; };
    return scene;
}


FakeScene Scripted(FakeScene scene, std::deque<StaleCopy> script)
{
    scene.script = std::move(script);
    return scene;
}

// What Windows reports of a monitor whose compositor the model plays: HDR
// where SDR content is brightened, wide gamut where it is blended in linear
// light without, SDR where it is blended in 8 bits (whatever the panel then
// makes of the colours).
ColourMode ModeOf(CompositorModel const& model)
{
    if (model.blending == Blending::EightBit)
        return ColourMode::Sdr;
    return model.sdrBoost > 1 ? ColourMode::Hdr : ColourMode::WideGamut;
}

FakeScene On(FakeScene scene, CompositorModel model)
{
    scene.model = model;
    return scene;
}

FakeScene OnABoostedScreen(FakeScene scene)
{
    return On(std::move(scene), {"linear_light_sdr_boost_1_5", Blending::LinearLight, 1.5});
}

auto const kSrgb = OutputPrimaries::Srgb;

CaptureRequest RequestFor(FakeScene const& scene)
{
    CaptureRequest request;
    request.screen = {scene.screen, scene.screen, {scene.screen}};
    request.window = request.shown = scene.window;
    request.bounds = request.monitor = scene.screen;
    request.colourMode = ModeOf(scene.model);
    return request;
}

struct PolicyRow {
    char const* name;
    std::function<FakeScene()> scene;
    CaptureStatus status;
    int blackCopies;
    int whiteCopies;
    // Of a matted capture: how far the window's alpha may stray, and the
    // margin its shadow needed.
    int alphaTolerance = 1;
    std::int32_t shadowMargin = kCaptureMargin;
    // Changes the request: a remembered transfer, say.
    std::function<void(CaptureRequest&)> request = nullptr;
    // The capture rectangle, where the row sets one.
    std::optional<CaptureRect> rect = std::nullopt;
    // Whether the colours come back converted to the panel's primaries, as
    // the screen shows them: then only the alpha is judged.
    bool panelColours = false;
};

void PrintTo(PolicyRow const& row, std::ostream* out)
{
    *out << row.name;
}

// The first pixel of the window whose alpha strays past `alphaTolerance`,
// or its colour past what that makes of a step of the copies.
std::string WindowMismatch(CaptureResult const& result, FakeScene const& scene, int alphaTolerance, bool judgeColour)
{
    CaptureRect const window = InFrame(scene.window, result.frame);
    for (std::int32_t y = window.top; y < window.bottom; ++y)
        for (std::int32_t x = window.left; x < window.right; ++x) {
            std::uint32_t const actual = result.image.pixels[static_cast<std::size_t>(y) * result.image.width + x];
            std::uint32_t const expected = scene.content(x - window.left, y - window.top, 0);
            int const alpha = Channel(expected, 3);
            bool fits = std::abs(Channel(actual, 3) - alpha) <= alphaTolerance;
            int const colourTolerance = 1 + 255 * (alphaTolerance + 1) / std::max(alpha, 1);
            for (int c = 0; c < 3 && alpha > 0 && judgeColour; ++c)
                fits = fits && std::abs(Channel(actual, c) - Channel(expected, c)) <= colourTolerance;
            if (!fits) {
                char text[96];
                std::snprintf(text, sizeof(text), "(%d, %d) is 0x%08X, known 0x%08X", static_cast<int>(x - window.left),
                              static_cast<int>(y - window.top), static_cast<unsigned>(actual),
                              static_cast<unsigned>(expected));
                return text;
            }
        }
    return "";
}

class CapturePolicyTable : public testing::TestWithParam<PolicyRow> {};

TEST_P(CapturePolicyTable, CopiesAgainWiderLowerOrGivesUpAsTheScreenDemands)
{
    PolicyRow const& row = GetParam();
    FakeScene const scene = row.scene();
    CaptureRequest request = RequestFor(scene);
    if (row.request)
        row.request(request);
    FakeScreen screen(scene);
    CaptureResult result = CaptureOverBackdrops(request, screen);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(screen.copies[0], row.blackCopies);
    EXPECT_EQ(screen.copies[1], row.whiteCopies);
    if (result.status != CaptureStatus::Matted)
        return;
    EXPECT_EQ(WindowMismatch(result, scene, row.alphaTolerance, !row.panelColours), "");
    EXPECT_EQ(result.shadowMargin, row.shadowMargin);
    if (row.rect) {
        EXPECT_EQ(result.rect.left, row.rect->left);
        EXPECT_EQ(result.rect.top, row.rect->top);
        EXPECT_EQ(result.rect.right, row.rect->right);
        EXPECT_EQ(result.rect.bottom, row.rect->bottom);
    }
    EXPECT_EQ(result.measured.has_value(), ComposesInLinearLight(request.colourMode) && TagRingInView(
        {nullptr, nullptr, result.frame.right - result.frame.left, result.frame.bottom - result.frame.top,
         InFrame(result.rect, result.frame), {}, InFrame(request.screen.monitors, result.frame)}));
    EXPECT_FALSE(result.transferUnknown && request.transfer);
    // The ring goes; the capture rectangle stays.
    DropTagRing(result);
    EXPECT_EQ(result.image.width, result.rect.right - result.rect.left);
    EXPECT_EQ(result.image.height, result.rect.bottom - result.rect.top);
}

// What a capture of the same screen, with its ring in view, read of it.
void RememberedFromAnEarlierCapture(CaptureRequest& request)
{
    FakeScene const earlier = BlackShadow(OnABoostedScreen(WithContent(SampleMode::Pattern)));
    FakeScreen screen(earlier);
    request.transfer = CaptureOverBackdrops(RequestFor(earlier), screen).measured;
    ASSERT_TRUE(request.transfer.has_value());
}

// A screen that blends in linear light through a pure 2.2 power, without
// brightening: its staircase cannot tell the curve.
FakeScene OnAPowerCurve(FakeScene scene)
{
    return On(std::move(scene), {"power_2_2", Blending::LinearLight, 1.0, OutputPrimaries::Srgb, false, TransferCurve::Power22});
}

// What a capture of colours on the same screen told of its curve.
void ToldByAnEarlierCapture(CaptureRequest& request)
{
    FakeScene const earlier = OnAPowerCurve(WithContent(SampleMode::Pattern));
    FakeScreen screen(earlier);
    request.transfer = CaptureOverBackdrops(RequestFor(earlier), screen).measured;
    ASSERT_TRUE(request.transfer.has_value());
    EXPECT_EQ(request.transfer->curve, SdrCurve::Power22);
}

using S = StaleCopy;
using Status = CaptureStatus;

INSTANTIATE_TEST_SUITE_P(Screens, CapturePolicyTable, testing::Values(
    PolicyRow{"current_at_once", [] { return WithContent(SampleMode::Pattern); }, Status::Matted, 1, 1},
    PolicyRow{"opaque_current_at_once", [] { return WithContent(SampleMode::Opaque); }, Status::Matted, 1, 1},
    // A frame late: made again once the compositor has had a frame.
    PolicyRow{"black_copy_a_frame_late_once",
              [] { return Scripted(WithContent(SampleMode::Pattern), {S::BeforeTheBackdrop}); }, Status::Matted, 2, 1},
    PolicyRow{"black_copy_a_frame_late_twice",
              [] { return Scripted(WithContent(SampleMode::Pattern), {S::BeforeTheBackdrop, S::None, S::BeforeTheBackdrop}); },
              Status::Matted, 3, 1},
    PolicyRow{"black_copy_a_frame_late_five_times_gives_up",
              [] {
                  return Scripted(WithContent(SampleMode::Pattern),
                                  {S::BeforeTheBackdrop, S::None, S::BeforeTheBackdrop, S::BeforeTheBackdrop,
                                   S::BeforeTheBackdrop, S::BeforeTheBackdrop});
              },
              Status::KeptChanging, 5, 1},
    PolicyRow{"white_copy_the_black_pass", [] { return Scripted(WithContent(SampleMode::Pattern), {S::None, S::OtherPass}); },
              Status::Matted, 2, 2},
    PolicyRow{"white_copy_torn", [] { return Scripted(WithContent(SampleMode::Pattern), {S::None, S::TornWithTheScreenBefore}); },
              Status::Matted, 1, 2},
    PolicyRow{"content_that_keeps_changing", [] { return Changing(WithContent(SampleMode::Pattern)); }, Status::KeptChanging, 5, 5},
    // Without a ring, each copy is made a frame after its backdrop stands
    // and again a frame later, and the two must agree.
    PolicyRow{"ring_hidden_by_a_window_filling_the_screen", [] { return FillingTheScreen(FakeScene()); }, Status::Matted, 2, 2},
    PolicyRow{"ring_hidden_and_a_late_frame",
              [] { return Scripted(FillingTheScreen(FakeScene()), {S::BeforeTheBackdrop}); }, Status::Matted, 4, 2},
    PolicyRow{"ring_hidden_and_content_that_keeps_changing", [] { return Changing(FillingTheScreen(FakeScene())); },
              Status::KeptChanging, 10, 10},
    // A screen that brightens SDR content clips white: the white backdrop is
    // painted lower and copied again.
    PolicyRow{"white_that_clips_is_lowered", [] { return BlackShadow(OnABoostedScreen(WithContent(SampleMode::Pattern))); },
              Status::Matted, 1, 2, 2},
    PolicyRow{"white_lowered_from_the_start_by_what_was_remembered",
              [] { return BlackShadow(OnABoostedScreen(WithContent(SampleMode::Pattern))); }, Status::Matted, 1, 1, 2,
              kCaptureMargin, RememberedFromAnEarlierCapture},
    PolicyRow{"ring_hidden_on_a_boosted_screen_matted_by_what_was_remembered",
              [] { return BlackShadow(FillingTheScreen(OnABoostedScreen(FakeScene()))); }, Status::Matted, 2, 2, 2,
              kCaptureMargin, RememberedFromAnEarlierCapture},
    PolicyRow{"white_lowered_from_the_start_by_the_reported_white_level",
              [] { return BlackShadow(OnABoostedScreen(WithContent(SampleMode::Pattern))); }, Status::Matted, 1, 1, 2,
              kCaptureMargin, [](CaptureRequest& request) { request.sdrWhiteNits = 120; }},
    PolicyRow{"ring_hidden_on_a_boosted_screen_matted_by_the_reported_white_level",
              [] { return BlackShadow(FillingTheScreen(OnABoostedScreen(FakeScene()))); }, Status::Matted, 2, 2, 2,
              kCaptureMargin, [](CaptureRequest& request) { request.sdrWhiteNits = 120; }},
    // Greys alone look alike through either curve: matted by the one that
    // an earlier capture's colours told, within a step.
    PolicyRow{"greys_matted_by_the_curve_an_earlier_capture_told",
              [] { return BlackShadow(OnAPowerCurve(WithContent(SampleMode::Pattern))); }, Status::Matted, 1, 1, 1,
              kCaptureMargin, ToldByAnEarlierCapture},
    // Every pipeline: the white backdrop lowered where the staircase stops
    // rising below its top, the curve and boost fitted, the dither read,
    // and a colourful window current at once through a wide gamut.
    PolicyRow{"boosted_through_a_pure_power_curve",
              [] {
                  return BlackShadow(On(WithContent(SampleMode::Pattern),
                                        {"power_2_2_boost_1_25", Blending::LinearLight, 1.25, kSrgb, false,
                                         TransferCurve::Power22}));
              },
              Status::Matted, 1, 2, 2},
    PolicyRow{"boosted_and_dithered",
              [] {
                  return BlackShadow(
                      On(WithContent(SampleMode::Pattern), {"boost_2_dithered", Blending::LinearLight, 2.0, kSrgb, true}));
              },
              Status::Matted, 1, 2, 6},
    PolicyRow{"panel_clipping_below_white",
              [] {
                  return BlackShadow(On(WithContent(SampleMode::Pattern),
                                        {"clipping_at_250", Blending::LinearLight, 1.0, kSrgb, false,
                                         TransferCurve::PiecewiseSrgb, 250}));
              },
              Status::Matted, 1, 2, 2},
    PolicyRow{"wide_gamut_in_linear_light",
              [] {
                  return On(WithContent(SampleMode::Pattern),
                            {"display_p3", Blending::LinearLight, 1.0, OutputPrimaries::DisplayP3});
              },
              Status::Matted, 1, 1, 2, kCaptureMargin, nullptr, std::nullopt, true},
    // No colour mode Windows reports converts after 8-bit blending, and the
    // matting does not undo it (alpha strays by 7 and more): the row asks
    // only that the check takes the copies at once.
    PolicyRow{"wide_gamut_after_eight_bit_blending",
              [] {
                  return On(WithContent(SampleMode::Pattern),
                            {"eight_bit_rec2020", Blending::EightBit, 1.0, OutputPrimaries::Rec2020});
              },
              Status::Matted, 1, 1, 255, kCaptureMargin, nullptr, std::nullopt, true},
    // A shadow cut at the margin: copied once more with the widest margin,
    // and the margin it needed kept for the next capture.
    PolicyRow{"shadow_cut_at_the_first_margin",
              [] {
                  FakeScene scene = WithContent(SampleMode::Opaque);
                  scene.shadowReach = 40;
                  scene.shadowAlpha = 120;
                  return scene;
              },
              Status::Matted, 2, 2, 1, 40 + kShadowSlack},
    PolicyRow{"shadow_within_a_wider_remembered_margin",
              [] {
                  FakeScene scene = WithContent(SampleMode::Opaque);
                  scene.shadowReach = 40;
                  scene.shadowAlpha = 120;
                  return scene;
              },
              Status::Matted, 1, 1, 1, 40 + kShadowSlack, [](CaptureRequest& request) { request.margin = 48; }},
    // With no window in front at all, the corner of the primary monitor just
    // inside the margin.
    PolicyRow{"no_window_at_all",
              [] {
                  FakeScene scene = WithContent(SampleMode::Pattern);
                  scene.window = {0, 0, 0, 0};
                  return scene;
              },
              Status::Matted, 1, 1, 1, kCaptureMargin, nullptr, CaptureRect{0, 0, 15, 15}},
    // Giving up.
    PolicyRow{"target_that_does_not_rise",
              [] {
                  FakeScene scene = WithContent(SampleMode::Pattern);
                  scene.rises = false;
                  return scene;
              },
              Status::NotInFront, 0, 0},
    PolicyRow{"window_off_every_monitor",
              [] {
                  FakeScene scene = WithContent(SampleMode::Pattern);
                  scene.window = {700, 100, 820, 180};
                  return scene;
              },
              Status::NotOnScreen, 0, 0},
    PolicyRow{"no_memory_for_the_copies",
              [] {
                  FakeScene scene = WithContent(SampleMode::Pattern);
                  scene.buffersFail = true;
                  return scene;
              },
              Status::CopyFailed, 0, 0}),
    [](testing::TestParamInfo<PolicyRow> const& info) { return info.param.name; });

struct GuessRow {
    char const* name;
    CompositorModel model;
    bool guessed;
};

class MattedByAGuessTable : public testing::TestWithParam<GuessRow> {};

// A capture whose ring is hidden and that no staircase was ever read for
// goes by a guess, and says so, where the monitor is HDR: only the staircase
// tells its boost. A wide-gamut monitor adds none, and an SDR one blends 8-bit
// values.
TEST_P(MattedByAGuessTable, TellsWhereTheBoostWasGuessed)
{
    FakeScene const scene = BlackShadow(FillingTheScreen(On(FakeScene(), GetParam().model)));
    FakeScreen screen(scene);
    CaptureResult const result = CaptureOverBackdrops(RequestFor(scene), screen);
    EXPECT_EQ(result.status, CaptureStatus::Matted);
    EXPECT_FALSE(result.measured.has_value());
    EXPECT_EQ(result.transferUnknown, GetParam().guessed);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, MattedByAGuessTable,
    testing::Values(GuessRow{"hdr", {"boost_1_5", Blending::LinearLight, 1.5}, true},
                    GuessRow{"wide_gamut", {"display_p3", Blending::LinearLight, 1.0, OutputPrimaries::DisplayP3}, false},
                    GuessRow{"sdr", {"eight_bit", Blending::EightBit}, false}),
    [](testing::TestParamInfo<GuessRow> const& info) { return info.param.name; });

} // namespace
