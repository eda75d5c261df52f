#include "tests/e2e/capture_expectation.h"

#include "png/png_reader.h"
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

// A wrong capture that an earlier program saved from a stale frame under
// load, kept as it was saved.
Capture Measured(char const* fileName)
{
    Capture c;
    EXPECT_TRUE(ReadPng(std::filesystem::path(LUCIDFRAME_STALE_CAPTURES_DIR) / fileName, c.pixels, c.width, c.height)) << fileName;
    return c;
}

struct ExpectationRow {
    char const* name;
    CaptureExpectation expectation;
    std::function<Capture()> capture;
    char const* difference; // contained in the difference found; null for a match
};

std::vector<ExpectationRow> const& Rows()
{
    static std::vector<ExpectationRow> const rows = {
        // What Lucidframe should save.
        {"per_pixel_alpha", Expect(SampleMode::Pattern), [] { return Correct(Expect(SampleMode::Pattern)); },
         nullptr},
        {"constant_alpha", Expect(SampleMode::Constant), [] { return Correct(Expect(SampleMode::Constant)); },
         nullptr},
        {"opaque", Expect(SampleMode::Opaque), [] { return Correct(Expect(SampleMode::Opaque)); },
         nullptr},
        {"uncropped", Expect(SampleMode::Pattern, false), [] { return Correct(Expect(SampleMode::Pattern, false)); },
         nullptr},
        {"on_the_checkerboard", Expect(SampleMode::Pattern, true, true),
         [] { return Correct(Expect(SampleMode::Pattern, true, true)); }, nullptr},
        {"alpha_off_by_one", Expect(SampleMode::Pattern),
         [] { return WithAlphaRaisedBy(Correct(Expect(SampleMode::Pattern)), 7, 9, 1); }, nullptr},

        // Faults of the program: wrong at once, naming the first difference.
        {"alpha_off_by_two", Expect(SampleMode::Pattern),
         [] { return WithAlphaRaisedBy(Correct(Expect(SampleMode::Pattern)), 7, 9, 2); },
         "pixel (7, 9) of 320x200"},
        {"alpha_not_recovered", Expect(SampleMode::Pattern), [] { return AlphaNotRecovered(Expect(SampleMode::Pattern)); },
         "the image is 350x230, expected 320x200"},
        {"alpha_not_recovered_opaque", Expect(SampleMode::Opaque),
         [] { return AlphaNotRecovered(Expect(SampleMode::Opaque)); }, "the image is 350x230"},
        {"not_cropped", Expect(SampleMode::Pattern), [] { return Correct(Expect(SampleMode::Pattern, false)); },
         "the image is 350x230"},
        {"cropped_when_off", Expect(SampleMode::Pattern, false), [] { return Correct(Expect(SampleMode::Pattern)); },
         "the image is 320x200, expected 350x230"},
        {"checkerboard_missing", Expect(SampleMode::Pattern, true, true),
         [] { return Correct(Expect(SampleMode::Pattern)); }, "pixel (0, 0)"},
        {"a_dark_pointer_drawn_in", Expect(SampleMode::Constant),
         [] { return WithPixel(Correct(Expect(SampleMode::Constant)), 240, 150, 0xFF000000u); },
         "pixel (240, 150)"},
        {"empty", Expect(SampleMode::Pattern), [] { return Capture{}; }, "the image is 0x0"},

        // Captures saved from stale frames, measured under load: each is wrong.
        {"stale_white_copy_backdrop_over_window", Expect(SampleMode::Pattern),
         [] { return Measured("pattern_white_copy_backdrop_over_window.png"); }, "pixel (0, 0)"},
        {"stale_black_copy_backdrop_over_window", Expect(SampleMode::Constant),
         [] { return Measured("constant_black_copy_backdrop_over_window.png"); }, "pixel (0, 0)"},
        {"stale_copies_backdrop_over_window", Expect(SampleMode::Opaque),
         [] { return Measured("opaque_both_copies_backdrop_over_window.png"); }, "pixel (0, 0)"},
        {"stale_white_copy_window_over_desktop", Expect(SampleMode::Pattern),
         [] { return Measured("pattern_white_copy_window_over_desktop.png"); }, "the image is 350x230"},
        {"stale_black_copy_window_over_desktop", Expect(SampleMode::Opaque),
         [] { return Measured("opaque_black_copy_window_over_desktop.png"); }, "the image is 350x230"},
        {"stale_white_copy_window_over_black_backdrop", SmallOnCheckerboard(),
         [] { return Measured("checkerboard_white_copy_window_over_black_backdrop.png"); }, "pixel (0, 0)"},
    };
    return rows;
}

class CaptureDifferenceTest : public testing::TestWithParam<std::size_t> {};

TEST_P(CaptureDifferenceTest, NamesTheFirstDifferenceOfAWrongCapture)
{
    ExpectationRow const& row = Rows()[GetParam()];
    Capture const capture = row.capture();
    std::optional<std::string> const difference =
        CaptureDifference(row.expectation, capture.pixels.data(), capture.width, capture.height);
    if (row.difference == nullptr) {
        EXPECT_FALSE(difference) << *difference;
    } else {
        ASSERT_TRUE(difference);
        EXPECT_NE(difference->find(row.difference), std::string::npos) << *difference;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CaptureDifferenceTest, testing::Range<std::size_t>(0, Rows().size()),
                         [](testing::TestParamInfo<std::size_t> const& info) { return Rows()[info.param].name; });

} // namespace
