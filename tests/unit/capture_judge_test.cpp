#include "tests/e2e/capture_judge.h"

#include "output/png_reader.h"
#include "tests/support/imaging_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

std::int32_t const kMargin = 15;

struct Capture {
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

CaptureExpectation Expect(SampleMode mode, bool autoCrop = true, bool checkerboard = false)
{
    CaptureExpectation e;
    e.mode = mode;
    e.windowWidth = 320;
    e.windowHeight = 200;
    e.autoCrop = autoCrop;
    e.checkerboard = checkerboard;
    return e;
}

// The Win32 tests' 100 x 60 sample window, laid over the checkerboard.
CaptureExpectation SmallOnCheckerboard()
{
    CaptureExpectation e = Expect(SampleMode::Pattern, true, true);
    e.windowWidth = 100;
    e.windowHeight = 60;
    return e;
}

// The window's known pixels, with the transparent margin around them unless
// the capture is cropped, and laid over the checkerboard when it is on.
Capture Correct(CaptureExpectation const& e)
{
    std::int32_t const margin = e.autoCrop ? 0 : kMargin;
    Capture c;
    c.width = e.windowWidth + 2 * margin;
    c.height = e.windowHeight + 2 * margin;
    for (std::int32_t y = 0; y < c.height; ++y) {
        for (std::int32_t x = 0; x < c.width; ++x) {
            bool const inWindow = x >= margin && y >= margin && x < margin + e.windowWidth && y < margin + e.windowHeight;
            std::uint32_t pixel = inWindow ? SamplePixel(e.mode, x - margin, y - margin, e.windowWidth, e.windowHeight) : 0;
            c.pixels.push_back(e.checkerboard ? reference::Blend(pixel, reference::CheckerAt(x, y)) : pixel);
        }
    }
    return c;
}

// What a program that skips the matting saves: the copy over the white
// backdrop as it is, opaque, and so never cropped.
Capture AlphaNotRecovered(CaptureExpectation const& e)
{
    Capture c;
    c.width = e.windowWidth + 2 * kMargin;
    c.height = e.windowHeight + 2 * kMargin;
    for (std::int32_t y = 0; y < c.height; ++y) {
        for (std::int32_t x = 0; x < c.width; ++x) {
            std::uint32_t pixel = 0xFFFFFFFFu;
            if (x >= kMargin && y >= kMargin && x < kMargin + e.windowWidth && y < kMargin + e.windowHeight) {
                std::uint32_t const known = Premultiply(SamplePixel(e.mode, x - kMargin, y - kMargin, e.windowWidth, e.windowHeight));
                std::uint32_t const shine = 255 - (known >> 24);
                pixel = 0xFF000000u | ((known & 0x00FFFFFFu) + (shine << 16 | shine << 8 | shine));
            }
            c.pixels.push_back(pixel);
        }
    }
    return c;
}

Capture WithPixel(Capture c, std::int32_t x, std::int32_t y, std::uint32_t pixel)
{
    c.pixels[static_cast<std::size_t>(y) * c.width + x] = pixel;
    return c;
}

Capture WithAlphaRaisedBy(Capture c, std::int32_t x, std::int32_t y, std::uint32_t rise)
{
    std::uint32_t const pixel = c.pixels[static_cast<std::size_t>(y) * c.width + x];
    return WithPixel(c, x, y, pixel + (rise << 24));
}

// A capture of the measured compositor races, kept as the program saved it.
Capture Measured(char const* fileName)
{
    Capture c;
    EXPECT_TRUE(ReadPng(std::filesystem::path(LUCIDFRAME_RACES_DIR) / fileName, c.pixels, c.width, c.height)) << fileName;
    return c;
}

struct JudgeRow {
    char const* name;
    CaptureExpectation expectation;
    std::function<Capture()> capture;
    CaptureVerdict verdict;
    char const* detail; // contained in the judgement's detail
};

std::vector<JudgeRow> const& Rows()
{
    static std::vector<JudgeRow> const rows = {
        // What Lucidframe should save.
        {"per_pixel_alpha", Expect(SampleMode::Pattern), [] { return Correct(Expect(SampleMode::Pattern)); },
         CaptureVerdict::Matches, ""},
        {"constant_alpha", Expect(SampleMode::Constant), [] { return Correct(Expect(SampleMode::Constant)); },
         CaptureVerdict::Matches, ""},
        {"opaque", Expect(SampleMode::Opaque), [] { return Correct(Expect(SampleMode::Opaque)); },
         CaptureVerdict::Matches, ""},
        {"uncropped", Expect(SampleMode::Pattern, false), [] { return Correct(Expect(SampleMode::Pattern, false)); },
         CaptureVerdict::Matches, ""},
        {"on_the_checkerboard", Expect(SampleMode::Pattern, true, true),
         [] { return Correct(Expect(SampleMode::Pattern, true, true)); }, CaptureVerdict::Matches, ""},
        {"alpha_off_by_one", Expect(SampleMode::Pattern),
         [] { return WithAlphaRaisedBy(Correct(Expect(SampleMode::Pattern)), 7, 9, 1); }, CaptureVerdict::Matches, ""},

        // Faults of the program: wrong at once, naming the first difference.
        {"alpha_off_by_two", Expect(SampleMode::Pattern),
         [] { return WithAlphaRaisedBy(Correct(Expect(SampleMode::Pattern)), 7, 9, 2); }, CaptureVerdict::Wrong,
         "pixel (7, 9) of 320x200"},
        {"alpha_not_recovered", Expect(SampleMode::Pattern), [] { return AlphaNotRecovered(Expect(SampleMode::Pattern)); },
         CaptureVerdict::Wrong, "the image is 350x230, expected 320x200"},
        {"alpha_not_recovered_opaque", Expect(SampleMode::Opaque),
         [] { return AlphaNotRecovered(Expect(SampleMode::Opaque)); }, CaptureVerdict::Wrong, "the image is 350x230"},
        {"not_cropped", Expect(SampleMode::Pattern), [] { return Correct(Expect(SampleMode::Pattern, false)); },
         CaptureVerdict::Wrong, "the image is 350x230"},
        {"cropped_when_off", Expect(SampleMode::Pattern, false), [] { return Correct(Expect(SampleMode::Pattern)); },
         CaptureVerdict::Wrong, "the image is 320x200, expected 350x230"},
        {"checkerboard_missing", Expect(SampleMode::Pattern, true, true),
         [] { return Correct(Expect(SampleMode::Pattern)); }, CaptureVerdict::Wrong, "pixel (0, 0)"},
        {"a_dark_pointer_drawn_in", Expect(SampleMode::Constant),
         [] { return WithPixel(Correct(Expect(SampleMode::Constant)), 240, 150, 0xFF000000u); },
         CaptureVerdict::Wrong, "pixel (240, 150)"},
        {"empty", Expect(SampleMode::Pattern), [] { return Capture{}; }, CaptureVerdict::Wrong, "the image is 0x0"},

        // The measured races: the whole image is the old frame's.
        {"race_white_copy_backdrop_over_window", Expect(SampleMode::Pattern),
         [] { return Measured("pattern_white_copy_backdrop_over_window.png"); }, CaptureVerdict::CompositorRace,
         "the white copy shows the white backdrop over the window"},
        {"race_black_copy_backdrop_over_window", Expect(SampleMode::Constant),
         [] { return Measured("constant_black_copy_backdrop_over_window.png"); }, CaptureVerdict::CompositorRace,
         "the black copy shows the black backdrop over the window"},
        {"race_both_copies_backdrop_over_window", Expect(SampleMode::Opaque),
         [] { return Measured("opaque_both_copies_backdrop_over_window.png"); }, CaptureVerdict::CompositorRace,
         "the black copy shows the black backdrop over the window, the white copy the white backdrop over the window"},
        {"race_white_copy_window_over_desktop", Expect(SampleMode::Pattern),
         [] { return Measured("pattern_white_copy_window_over_desktop.png"); }, CaptureVerdict::CompositorRace,
         "the white copy shows the window over the desktop"},
        {"race_black_copy_window_over_desktop", Expect(SampleMode::Opaque),
         [] { return Measured("opaque_black_copy_window_over_desktop.png"); }, CaptureVerdict::CompositorRace,
         "the black copy shows the window over the desktop"},
        {"race_white_copy_window_over_black_backdrop", SmallOnCheckerboard(),
         [] { return Measured("checkerboard_white_copy_window_over_black_backdrop.png"); },
         CaptureVerdict::CompositorRace, "the white copy shows the window over the black backdrop"},

        // A race picture with anything else wrong is no race.
        {"race_with_one_wrong_pixel", Expect(SampleMode::Pattern),
         [] { return WithAlphaRaisedBy(Measured("pattern_white_copy_backdrop_over_window.png"), 100, 100, 9); },
         CaptureVerdict::Wrong, "pixel (0, 0)"},
        {"race_of_another_window", Expect(SampleMode::Constant),
         [] { return Measured("pattern_white_copy_backdrop_over_window.png"); }, CaptureVerdict::Wrong, "pixel (0, 0)"},
        {"desktop_race_with_one_wrong_pixel", Expect(SampleMode::Pattern),
         [] { return WithPixel(Measured("pattern_white_copy_window_over_desktop.png"), 200, 100, 0); },
         CaptureVerdict::Wrong, "the image is 350x230"},
    };
    return rows;
}

class JudgeCaptureTest : public testing::TestWithParam<std::size_t> {};

TEST_P(JudgeCaptureTest, TellsMatchesRacesAndFaultsApart)
{
    JudgeRow const& row = Rows()[GetParam()];
    Capture const capture = row.capture();
    CaptureJudgement const judgement =
        JudgeCapture(row.expectation, capture.pixels.data(), capture.width, capture.height);
    EXPECT_EQ(judgement.verdict, row.verdict) << judgement.detail;
    EXPECT_NE(judgement.detail.find(row.detail), std::string::npos) << judgement.detail;
}

INSTANTIATE_TEST_SUITE_P(Rows, JudgeCaptureTest, testing::Range<std::size_t>(0, Rows().size()),
                         [](testing::TestParamInfo<std::size_t> const& info) { return Rows()[info.param].name; });

} // namespace
