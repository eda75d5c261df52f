#include "tests/e2e/capture_judge.h"

#include "tests/support/imaging_reference.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// Why a retry on this signature cannot hide a fault of the program.
//
// Under wine the screen copy reads what the X compositor last painted, and
// xcompmgr repaints on its own schedule. Measured on the test display under
// CPU load (22 of 526 end-to-end captures; none in 210 without load; more
// under two busy loops on both cores), a copy then shows an older frame of
// the capture: the screen as it stood at an earlier step, never anything it
// did not show. In order, a capture puts on the screen
//   1. the window over the desktop, which xcompmgr paints plain grey 0x808080;
//   2. the black backdrop over the window, once it is shown and raised;
//   3. the window over the black backdrop: what the black copy should show;
//   4. the window over the desktop again, the backdrop hidden;
//   5. the white backdrop over the window;
//   6. the window over the white backdrop: what the white copy should show.
// The black copy shows one of 1 to 3, the white copy one of the same or a
// later step: seen were 2 or 1 in either copy, and 3 in the white copy. The
// signature is the whole image, pixel for pixel, as matting, pointer, crop
// and checkerboard make it from such a pair; never one feature of it. The
// program knows no grey, so only a frame without its backdrop can put the
// window over grey, and a copy of an earlier step would recur at every
// capture only through a fault of the program, which the limit of three
// captures still fails. Everything else is wrong at once: a capture without
// the alpha recovered (the window over white, opaque and uncropped: no pair
// of these frames gives white where the black copy looked), a wrong size, a
// stray pointer, one wrong pixel. A desktop of any other colour is not taken
// for a race: over white, the black copy's frame would be exactly a capture
// whose alpha was never recovered.

namespace {

std::int32_t const kMargin = 15;
std::uint32_t const kOpaqueBlack = 0xFF000000u;
std::uint32_t const kOpaqueWhite = 0xFFFFFFFFu;
// What xcompmgr paints where no window is, on a display with no desktop
// picture, as the test display is.
std::uint32_t const kDesktopGrey = 0xFF808080u;

struct Image {
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The two screen copies of a capture: the grown rectangle over the black and
// over the white backdrop.
struct Copies {
    Image black;
    Image white;
};

std::uint32_t Pixel(int blue, int green, int red)
{
    return kOpaqueBlack | static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue);
}

// `premultiplied` (its alpha in the top byte) laid over the opaque `background`.
std::uint32_t Over(std::uint32_t premultiplied, std::uint32_t background)
{
    int const transparency = 255 - reference::Channel(premultiplied, 3);
    int channels[3];
    for (int c = 0; c < 3; ++c)
        channels[c] = reference::Channel(premultiplied, c) + (reference::Channel(background, c) * transparency + 127) / 255;
    return Pixel(channels[0], channels[1], channels[2]);
}

bool InWindow(CaptureExpectation const& e, std::int32_t x, std::int32_t y)
{
    return x >= kMargin && y >= kMargin && x < kMargin + e.windowWidth && y < kMargin + e.windowHeight;
}

// The grown rectangle with the window over `background`, which lies outside
// the window too.
// The capture rectangle, empty.
Image CaptureArea(CaptureExpectation const& e)
{
    Image image;
    image.width = e.captureWidth > 0 ? e.captureWidth : e.windowWidth + 2 * kMargin;
    image.height = e.captureHeight > 0 ? e.captureHeight : e.windowHeight + 2 * kMargin;
    return image;
}

Image WindowOver(CaptureExpectation const& e, std::uint32_t background)
{
    Image image = CaptureArea(e);
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            std::uint32_t pixel = background;
            if (InWindow(e, x, y)) {
                std::uint32_t const known =
                    SamplePixel(e.mode, x - kMargin, y - kMargin, e.windowWidth, e.windowHeight);
                pixel = Over(Premultiply(known), background);
            }
            image.pixels.push_back(pixel);
        }
    }
    return image;
}

Image Filled(CaptureExpectation const& e, std::uint32_t colour)
{
    Image image = CaptureArea(e);
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, colour);
    return image;
}

// What the program makes of two copies: matting, then the pointer, the crop
// and the checkerboard when they are on, in that order.
Image Finish(Copies const& copies, CaptureExpectation const& e)
{
    Image image = copies.white;
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = reference::Matte(copies.black.pixels[i], copies.white.pixels[i]);
    for (std::int32_t y = 0; e.pointer && y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            if (std::uint32_t const pointer = e.pointer(x, y))
                image.pixels[static_cast<std::size_t>(y) * image.width + x] = pointer;
        }
    }
    if (e.autoCrop) {
        reference::Box const box = reference::ContentBox(image.pixels.data(), image.width, image.height);
        if (reference::Crops(box)) {
            Image cropped;
            cropped.width = box.right - box.left + 1;
            cropped.height = box.bottom - box.top + 1;
            for (std::int32_t y = box.top; y <= box.bottom; ++y) {
                for (std::int32_t x = box.left; x <= box.right; ++x)
                    cropped.pixels.push_back(image.pixels[static_cast<std::size_t>(y) * image.width + x]);
            }
            image = cropped;
        }
    }
    if (e.checkerboard) {
        for (std::int32_t y = 0; y < image.height; ++y) {
            for (std::int32_t x = 0; x < image.width; ++x) {
                std::uint32_t& pixel = image.pixels[static_cast<std::size_t>(y) * image.width + x];
                pixel = reference::Blend(pixel, reference::CheckerAt(x, y));
            }
        }
    }
    return image;
}

// Empty when `actual` matches `expected`; otherwise the size or the first
// pixel that differs.
std::optional<std::string> FirstDifference(Image const& expected, std::uint32_t const* pixels, std::int32_t width,
                                           std::int32_t height)
{
    char text[160];
    if (width != expected.width || height != expected.height) {
        int const length =
            std::snprintf(text, sizeof(text), "the image is %dx%d, expected %dx%d", static_cast<int>(width),
                          static_cast<int>(height), static_cast<int>(expected.width), static_cast<int>(expected.height));
        if (width > 0 && height > 0)
            std::snprintf(text + length, sizeof(text) - static_cast<std::size_t>(length), "; its pixel (0, 0) is 0x%08X",
                          static_cast<unsigned>(pixels[0]));
        return text;
    }
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::size_t const i = static_cast<std::size_t>(y) * width + x;
            if (!SamplePixelMatches(pixels[i], expected.pixels[i])) {
                std::snprintf(text, sizeof(text), "pixel (%d, %d) of %dx%d is 0x%08X, expected 0x%08X",
                              static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                              static_cast<int>(height), static_cast<unsigned>(pixels[i]),
                              static_cast<unsigned>(expected.pixels[i]));
                return text;
            }
        }
    }
    return std::nullopt;
}

struct Frame {
    char const* name;
    Image image;
};

struct OldFrames {
    std::string name;
    Copies copies;
};

// Every pair of screen frames a capture's two copies can show, in the order
// the capture puts them on the screen, but the pair it should copy.
std::vector<OldFrames> OldFramePairs(CaptureExpectation const& e, Copies const& good)
{
    Image const overDesktop = WindowOver(e, kDesktopGrey);
    std::vector<Frame> const steps = {
        {"the window over the desktop", overDesktop},
        {"the black backdrop over the window", Filled(e, kOpaqueBlack)},
        {"the window over the black backdrop", good.black},
        {"the window over the desktop", overDesktop},
        {"the white backdrop over the window", Filled(e, kOpaqueWhite)},
        {"the window over the white backdrop", good.white},
    };
    std::size_t const blackStep = 2;
    std::size_t const whiteStep = 5;
    std::vector<OldFrames> pairs;
    for (std::size_t black = 0; black <= blackStep; ++black) {
        for (std::size_t white = black; white <= whiteStep; ++white) {
            if (black == blackStep && white == whiteStep)
                continue;
            std::string name;
            if (black == blackStep)
                name = std::string("the white copy shows ") + steps[white].name;
            else if (white == whiteStep)
                name = std::string("the black copy shows ") + steps[black].name;
            else
                name = std::string("the black copy shows ") + steps[black].name + ", the white copy " + steps[white].name;
            pairs.push_back({name, {steps[black].image, steps[white].image}});
        }
    }
    return pairs;
}

} // namespace

CaptureExpectation ExpectationFor(SampleOptions const& sample)
{
    CaptureExpectation expectation;
    expectation.mode = sample.mode;
    expectation.windowWidth = sample.width;
    expectation.windowHeight = sample.height;
    return expectation;
}

CaptureJudgement JudgeCapture(CaptureExpectation const& expectation, std::uint32_t const* pixels, std::int32_t width,
                              std::int32_t height)
{
    Copies const good = {WindowOver(expectation, kOpaqueBlack), WindowOver(expectation, kOpaqueWhite)};
    std::optional<std::string> const difference = FirstDifference(Finish(good, expectation), pixels, width, height);
    if (!difference)
        return {CaptureVerdict::Matches, ""};
    for (OldFrames const& frames : OldFramePairs(expectation, good)) {
        if (!FirstDifference(Finish(frames.copies, expectation), pixels, width, height))
            return {CaptureVerdict::CompositorRace, frames.name};
    }
    return {CaptureVerdict::Wrong, *difference};
}
