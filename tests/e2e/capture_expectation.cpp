#include "tests/e2e/capture_expectation.h"

#include "tests/support/imaging_reference.h"
#include "tests/support/screen_model.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

std::int32_t const kMargin = 15;
std::uint32_t const kOpaqueBlack = 0xFF000000u;
std::uint32_t const kOpaqueWhite = 0xFFFFFFFFu;

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

bool InWindow(CaptureExpectation const& e, std::int32_t x, std::int32_t y)
{
    return x >= kMargin && y >= kMargin && x < kMargin + e.windowWidth && y < kMargin + e.windowHeight;
}

// The capture rectangle, empty.
Image CaptureArea(CaptureExpectation const& e)
{
    Image image;
    image.width = e.captureWidth > 0 ? e.captureWidth : e.windowWidth + 2 * kMargin;
    image.height = e.captureHeight > 0 ? e.captureHeight : e.windowHeight + 2 * kMargin;
    return image;
}

// The capture rectangle with the window over `background`, which lies outside
// the window too.
Image WindowOver(CaptureExpectation const& e, std::uint32_t background)
{
    Image image = CaptureArea(e);
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            std::uint32_t pixel = background;
            if (InWindow(e, x, y)) {
                std::uint32_t const known =
                    SamplePixel(e.mode, x - kMargin, y - kMargin, e.windowWidth, e.windowHeight);
                pixel = screen_model::Over(Premultiply(known), background);
            }
            image.pixels.push_back(pixel);
        }
    }
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

} // namespace

CaptureExpectation ExpectationFor(SampleOptions const& sample)
{
    CaptureExpectation expectation;
    expectation.mode = sample.mode;
    expectation.windowWidth = sample.width;
    expectation.windowHeight = sample.height;
    return expectation;
}

std::optional<std::string> CaptureDifference(CaptureExpectation const& expectation, std::uint32_t const* pixels,
                                             std::int32_t width, std::int32_t height)
{
    Copies const current = {WindowOver(expectation, kOpaqueBlack), WindowOver(expectation, kOpaqueWhite)};
    return FirstDifference(Finish(current, expectation), pixels, width, height);
}
