#include "capture/screen_transfer.h"

#include "compositor_model.h"
#include "imaging/matting.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using Frame = std::vector<std::uint32_t>;

std::int32_t const kWindowWidth = 120;
std::int32_t const kWindowHeight = 80;
CaptureRect const kInner = {kTagRingWidth, kTagRingWidth, kTagRingWidth + kWindowWidth, kTagRingWidth + kWindowHeight};
std::int32_t const kFrameWidth = kWindowWidth + 2 * kTagRingWidth;
std::int32_t const kFrameHeight = kWindowHeight + 2 * kTagRingWidth;

int Channel(std::uint32_t pixel, int index)
{
    return static_cast<int>(pixel >> (8 * index) & 0xFF);
}

// What the window shows, straight, at (x, y) of itself.
struct Content {
    char const* name;
    std::function<std::uint32_t(std::int32_t x, std::int32_t y)> pixel;
    // Translucent pixels whose channels differ, which tell the screen's curve
    // where its staircase cannot; greys alone look alike through either.
    bool coloured = true;
};

Content const kContents[] = {
    {"alpha_gradient",
     [](std::int32_t x, std::int32_t y) { return SamplePixel(SampleMode::Pattern, x, y, kWindowWidth, kWindowHeight); }},
    {"translucent_colours",
     [](std::int32_t x, std::int32_t y) { return SamplePixel(SampleMode::Constant, x, y, kWindowWidth, kWindowHeight); }},
    // A black shadow from 0 to 60 %, the same down each column.
    {"black_shadow", [](std::int32_t x, std::int32_t) { return static_cast<std::uint32_t>(x * 153 / (kWindowWidth - 1)) << 24; },
     false},
    // Every opacity of a shadow, from none to opaque black, along the rows.
    {"every_shadow_opacity",
     [](std::int32_t x, std::int32_t y) { return static_cast<std::uint32_t>((y * kWindowWidth + x) * 256 / (kWindowWidth * kWindowHeight)) << 24; },
     false},
    // Pure primaries, their mixes and greys, each band of rows at one of
    // every opacity.
    {"translucent_primaries_and_greys",
     [](std::int32_t x, std::int32_t y) {
         std::uint32_t const colours[] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u, 0x00FFFFu,
                                          0xFF00FFu, 0xFFFFFFu, 0xC0C0C0u, 0x808080u, 0x404040u};
         std::uint32_t const alpha = static_cast<std::uint32_t>(x * 255 / (kWindowWidth - 1));
         return alpha << 24 | colours[y * std::size(colours) / kWindowHeight];
     }},
};

// One copy of the window over the backdrop of `pass` as `model` composes and
// copies it: the whole frame, ring and staircase included.
Frame CopyOver(CompositorModel const& model, Content const& content, Backdrop pass, std::uint8_t white,
               std::uint64_t copy)
{
    Frame painted(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
    PaintBackdrop(painted.data(), kFrameWidth, kFrameHeight, kInner, pass, white);
    Frame copied;
    for (std::int32_t y = 0; y < kFrameHeight; ++y)
        for (std::int32_t x = 0; x < kFrameWidth; ++x) {
            ComposedPixel shown = ComposeOpaque(model, painted[copied.size()]);
            if (x >= kInner.left && x < kInner.right && y >= kInner.top && y < kInner.bottom)
                shown = ComposeOver(model, content.pixel(x - kInner.left, y - kInner.top), shown);
            copied.push_back(CopiedPixel(model, shown, copy << 32 | copied.size()));
        }
    return copied;
}

struct MatteModel {
    CompositorModel compositor;
    // How far the recovered alpha may stray. One step of rounding, wherever
    // nothing brightens the copies and the curve is known; where nothing
    // brightens them, the staircase cannot tell the curves apart, the
    // colours tell it, and where the content is grey, the one between them
    // is off by one more either way. With a boost the curve and
    // the boost are fitted to the staircase; in a channel brightened to
    // within a few steps of the clip, one step of the copy stands for nearly
    // three of alpha. A step of dither in each copy stands for as many
    // again, in each channel on its own.
    int alphaTolerance;
};

// Every model of the copy check's table that keeps sRGB primaries, and linear
// light with the SDR boosts a user may choose, each clipping at white.
auto const kSrgb = OutputPrimaries::Srgb;
auto const kPower = TransferCurve::Power22;
auto const kPiecewise = TransferCurve::PiecewiseSrgb;

MatteModel const kModels[] = {
    {{"eight_bit", Blending::EightBit}, 1},
    {{"linear_light", Blending::LinearLight}, 1},
    {{"linear_light_power_2_2", Blending::LinearLight, 1.0, kSrgb, false, kPower}, 1},
    {{"linear_light_sdr_boost_1_25", Blending::LinearLight, 1.25}, 2},
    {{"linear_light_sdr_boost_1_5", Blending::LinearLight, 1.5}, 2},
    {{"linear_light_sdr_boost_2", Blending::LinearLight, 2.0}, 2},
    {{"linear_light_sdr_boost_3", Blending::LinearLight, 3.0}, 4},
    {{"linear_light_power_2_2_sdr_boost_1_25", Blending::LinearLight, 1.25, kSrgb, false, kPower}, 2},
    {{"linear_light_power_2_2_sdr_boost_2", Blending::LinearLight, 2.0, kSrgb, false, kPower}, 2},
    {{"linear_light_power_2_2_sdr_boost_3", Blending::LinearLight, 3.0, kSrgb, false, kPower}, 4},
    {{"linear_light_clipping_at_250", Blending::LinearLight, 1.0, kSrgb, false, kPiecewise, 250}, 2},
    {{"linear_light_sdr_boost_1_25_clipping_at_250", Blending::LinearLight, 1.25, kSrgb, false, kPiecewise, 250}, 2},
    {{"linear_light_sdr_boost_1_25_dithered", Blending::LinearLight, 1.25, kSrgb, true}, 6},
    {{"linear_light_sdr_boost_2_dithered", Blending::LinearLight, 2.0, kSrgb, true}, 6},
    {{"linear_light_power_2_2_sdr_boost_2_dithered", Blending::LinearLight, 2.0, kSrgb, true, kPower}, 6},
    {{"eight_bit_dithered", Blending::EightBit, 1.0, OutputPrimaries::Srgb, true}, 2},
    {{"linear_light_dithered", Blending::LinearLight, 1.0, OutputPrimaries::Srgb, true}, 4},
    {{"linear_light_sdr_boost_3_dithered", Blending::LinearLight, 3.0, OutputPrimaries::Srgb, true}, 6},
};

// The copies of one capture, taken as the capture takes them: the staircase
// measured in the first pair, and the white copy made again over a lower
// backdrop where the screen clipped white.
struct Capture {
    Frame black;
    Frame white;
    ColourPipeline pipeline;
};

Capture TakeCapture(CompositorModel const& model, Content const& content)
{
    Capture capture = {CopyOver(model, content, Backdrop::Black, 255, 1), CopyOver(model, content, Backdrop::White, 255, 2),
                       {model.blending == Blending::LinearLight}};
    std::vector<CaptureRect> const monitors = {{0, 0, kFrameWidth, kFrameHeight}};
    std::optional<ScreenTransfer> const measured =
        MeasureTransfer({capture.black.data(), capture.white.data(), kFrameWidth, kFrameHeight, kInner, {}, monitors},
                        monitors[0]);
    EXPECT_TRUE(measured.has_value());
    capture.pipeline.transfer = measured.value_or(IdentityTransfer());
    std::uint8_t const white = WhiteBackdropLevel(capture.pipeline);
    if (white != capture.pipeline.whiteBackdrop) {
        capture.pipeline.whiteBackdrop = white;
        capture.white = CopyOver(model, content, Backdrop::White, white, 3);
    }
    return capture;
}

// The capture's copies matted as the capture mattes them.
Frame Matted(Capture const& capture)
{
    Frame matted = capture.white;
    MatteCopies(capture.black.data(), matted.data(), static_cast<std::int32_t>(matted.size()), capture.pipeline);
    return matted;
}

// The largest error of the alpha in the window, and the pixels whose alpha
// or colour strays past the row's bounds. Colour may stray by a step and by
// what the error of the alpha and of the black copy (a step, two where
// dithered) make of it, as the colour is the black copy over the alpha:
// 1 + 510 / alpha where alpha is off by one, as on the test display. It is
// not judged where the black copy clipped it, as it is white there, nor
// where the alpha is only bounded.
struct Errors {
    int largestAlphaError = 0;
    int mismatches = 0;
    std::string firstMismatch;
};

// Whether every channel of two pixels lies within `noise` steps.
bool WithinNoise(std::uint32_t one, std::uint32_t other, int noise)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(Channel(one, c) - Channel(other, c)) > noise)
            return false;
    return true;
}

Errors ErrorsOf(Frame const& matted, Frame const& black, Frame const& white, Content const& content, int alphaTolerance,
               CompositorModel const& model, std::uint32_t whiteShown)
{
    // Within a step or two of the screen's top, a copy may be clipped.
    int const clipped = model.clipLevel - 2;
    int const noise = model.dither ? 1 : 0;
    Errors errors;
    for (std::int32_t y = 0; y < kWindowHeight; ++y)
        for (std::int32_t x = 0; x < kWindowWidth; ++x) {
            std::size_t const at = static_cast<std::size_t>(y + kInner.top) * kFrameWidth + (x + kInner.left);
            std::uint32_t const expected = content.pixel(x, y);
            int const alpha = Channel(expected, 3);
            // Where the white copy clipped every channel, the copies bound
            // the alpha, and no more.
            bool known = Channel(white[at], 0) < clipped || Channel(white[at], 1) < clipped ||
                               Channel(white[at], 2) < clipped;
            // Copies within the dither of each other are opaque, and copies
            // within it of the backdrops alone transparent: the dither
            // hides what lies between.
            known = known && !WithinNoise(black[at], white[at], 2 * noise) &&
                    !(WithinNoise(black[at], 0, noise) && WithinNoise(white[at], whiteShown, noise));
            int const alphaError = known ? std::abs(Channel(matted[at], 3) - alpha) : 0;
            bool const worst = alphaError > errors.largestAlphaError;
            errors.largestAlphaError = std::max(errors.largestAlphaError, alphaError);
            bool fits = alphaError <= alphaTolerance;
            int const copyError = model.dither ? 2 : 1;
            int const colourTolerance = 1 + 255 * (alphaTolerance + copyError) / std::max(alpha, 1);
            for (int c = 0; c < 3 && alpha > 0 && known; ++c)
                fits = fits && (Channel(black[at], c) >= clipped ||
                                std::abs(Channel(matted[at], c) - Channel(expected, c)) <= colourTolerance);
            errors.mismatches += !fits;
            if (!fits && (worst || errors.firstMismatch.empty()))
            {
                char text[128];
                std::snprintf(text, sizeof(text), "(%d, %d) is 0x%08X, known 0x%08X, copies 0x%08X 0x%08X",
                              static_cast<int>(x), static_cast<int>(y), static_cast<unsigned>(matted[at]),
                              static_cast<unsigned>(expected), static_cast<unsigned>(black[at]),
                              static_cast<unsigned>(white[at]));
                errors.firstMismatch = text;
            }
        }
    return errors;
}

class MatteCopiesTable : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(MatteCopiesTable, RecoversTheWindowWhateverTheScreenDoesToItsLight)
{
    MatteModel const& model = kModels[std::get<0>(GetParam())];
    Content const& content = kContents[std::get<1>(GetParam())];
    Capture const capture = TakeCapture(model.compositor, content);
    Frame const matted = Matted(capture);
    std::uint32_t const whiteShown = WhiteShown(capture.pipeline) * 0x010101u;
    bool const curveUnseen = model.compositor.blending == Blending::LinearLight && model.compositor.sdrBoost == 1.0;
    int const alphaTolerance = model.alphaTolerance + (curveUnseen && !content.coloured);
    Errors const errors =
        ErrorsOf(matted, capture.black, capture.white, content, alphaTolerance, model.compositor, whiteShown);
    EXPECT_EQ(errors.mismatches, 0) << errors.firstMismatch << "; alpha off by up to " << errors.largestAlphaError;

    Frame formula = capture.white;
    RecoverAlpha(capture.black.data(), formula.data(), static_cast<std::int32_t>(formula.size()));
    if (!capture.pipeline.linearLight) {
        // A screen that blends 8-bit values is matted by RecoverAlpha alone.
        EXPECT_EQ(matted, formula);
    } else if (std::string(content.name) != "translucent_colours") {
        // The 8-bit formula fails here, so that the row proves something.
        // (At a constant alpha of one half, linear light and 8-bit blending
        // happen to agree on the opacity.)
        EXPECT_GT(ErrorsOf(formula, capture.black, capture.white, content, model.alphaTolerance, model.compositor, whiteShown)
                      .largestAlphaError,
                  8);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Models, MatteCopiesTable,
    testing::Combine(testing::Range<std::size_t>(0, std::size(kModels)), testing::Range<std::size_t>(0, std::size(kContents))),
    [](testing::TestParamInfo<std::tuple<std::size_t, std::size_t>> const& info) {
        return std::string(kModels[std::get<0>(info.param)].compositor.name) + "__" +
               kContents[std::get<1>(info.param)].name;
    });

class UndistortedMatteTable : public testing::TestWithParam<std::size_t> {};

// Where the copies agree, the window is opaque, and where they show the
// backdrops alone, there is no window: exactly, as RecoverAlpha has it, so
// that an opaque window stays opaque and the transparent margin is cropped;
// where the copies are dithered, within the dither the staircase shows.
TEST_P(UndistortedMatteTable, OpaqueIsOpaqueAndTheBackdropAloneIsTransparent)
{
    CompositorModel const& model = kModels[GetParam()].compositor;
    Content const halves = {"opaque_left_nothing_right", [](std::int32_t x, std::int32_t y) {
                                return x < kWindowWidth / 2 ? SamplePixel(SampleMode::Opaque, x, y, kWindowWidth, kWindowHeight) : 0;
                            }};
    Frame const matted = Matted(TakeCapture(model, halves));
    for (std::int32_t y = kInner.top; y < kInner.bottom; ++y)
        for (std::int32_t x = kInner.left; x < kInner.right; ++x) {
            std::uint32_t const expected = x - kInner.left < kWindowWidth / 2 ? 255 : 0;
            ASSERT_EQ(matted[static_cast<std::size_t>(y) * kFrameWidth + x] >> 24, expected) << x << ", " << y;
        }
}

// Every model but dithered 8-bit blending, which RecoverAlpha mattes as
// ever, and which reads no staircase.
std::vector<std::size_t> StaircaseRead()
{
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < std::size(kModels); ++i)
        if (!kModels[i].compositor.dither || kModels[i].compositor.blending == Blending::LinearLight)
            rows.push_back(i);
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Models, UndistortedMatteTable, testing::ValuesIn(StaircaseRead()),
                         [](testing::TestParamInfo<std::size_t> const& info) {
                             return std::string(kModels[info.param].compositor.name);
                         });

struct StaircaseCase {
    char const* name;
    std::vector<CaptureRect> unseen;
    CaptureRect monitor;
    bool read;
    std::uint32_t overRing = 0; // where not 0, what a window nobody listed shows over the whole ring
    bool dithered = false;      // the screen dithers each copy by a step: that is the noise read
};

class MeasureTransferTable : public testing::TestWithParam<StaircaseCase> {};

// The staircase is read where enough of it is in view, through a shadow over
// part of it; elsewhere the capture must go by an earlier measurement.
TEST_P(MeasureTransferTable, ReadsTheStaircaseOnlyWhereItIsInView)
{
    StaircaseCase const& c = GetParam();
    CompositorModel const model = {"eight_bit", Blending::EightBit, 1.0, kSrgb, c.dithered};
    Frame black = CopyOver(model, kContents[0], Backdrop::Black, 255, 1);
    Frame white = CopyOver(model, kContents[0], Backdrop::White, 255, 2);
    // A shadow darkens a third of the top row of the staircase.
    for (std::int32_t x = 0; x < kFrameWidth / 3; ++x)
        black[kFrameWidth + x] = white[kFrameWidth + x] = 0xFF000000u;
    for (std::size_t i = 0; i < black.size() && c.overRing != 0; ++i) {
        std::int32_t const x = static_cast<std::int32_t>(i % kFrameWidth);
        std::int32_t const y = static_cast<std::int32_t>(i / kFrameWidth);
        if (x < kInner.left || x >= kInner.right || y < kInner.top || y >= kInner.bottom)
            black[i] = white[i] = c.overRing;
    }
    std::vector<CaptureRect> const monitors = {{0, 0, kFrameWidth, kFrameHeight}};
    std::optional<ScreenTransfer> const transfer =
        MeasureTransfer({black.data(), white.data(), kFrameWidth, kFrameHeight, kInner, c.unseen, monitors}, c.monitor);
    ASSERT_EQ(transfer.has_value(), c.read);
    if (c.read) {
        EXPECT_EQ(transfer->copied, IdentityTransfer().copied);
        EXPECT_EQ(int{transfer->noise}, c.dithered ? 1 : 0);
    }
}

CaptureRect const kWholeFrame = {0, 0, kFrameWidth, kFrameHeight};

INSTANTIATE_TEST_SUITE_P(
    Rings, MeasureTransferTable,
    testing::Values(StaircaseCase{"in_view", {}, kWholeFrame, true},
                    StaircaseCase{"under_an_overlay", {kWholeFrame}, kWholeFrame, false},
                    StaircaseCase{"under_windows_over_each_side",
                                  {{0, 0, kFrameWidth, 2}, {0, kFrameHeight - 2, kFrameWidth, kFrameHeight},
                                   {0, 0, 2, kFrameHeight}, {kFrameWidth - 2, 0, kFrameWidth, kFrameHeight}},
                                  kWholeFrame, false},
                    StaircaseCase{"on_another_monitor", {}, {kFrameWidth, 0, 2 * kFrameWidth, kFrameHeight}, false},
                    StaircaseCase{"under_a_grey_window_nobody_listed", {}, kWholeFrame, false, 0xFF808080u},
                    StaircaseCase{"one_side_in_view_on_this_monitor", {}, {0, 0, 2, kFrameHeight}, true},
                    StaircaseCase{"dithered", {}, kWholeFrame, true, 0, true}),
    [](testing::TestParamInfo<StaircaseCase> const& info) { return info.param.name; });

} // namespace
