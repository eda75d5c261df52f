#pragma once

#include "tests/support/sample_window/sample_options.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What Lucidframe should save for a capture of the sample window under the
// given options: by default a window lying wholly on the primary screen with
// the pointer outside its rectangle.
struct CaptureExpectation {
    SampleMode mode = SampleMode::Pattern;
    std::int32_t windowWidth = 320;
    std::int32_t windowHeight = 200;
    bool autoCrop = true;
    bool checkerboard = false;
    // The capture rectangle's size when the screen's right or bottom edge cuts
    // it short; 0 for the window and its margins whole.
    std::int32_t captureWidth = 0;
    std::int32_t captureHeight = 0;
    // The opaque pointer pixel drawn at (x, y) of the capture rectangle, or 0
    // where there is none: drawn after the matting, before the crop.
    std::function<std::uint32_t(std::int32_t x, std::int32_t y)> pointer = nullptr;
};

// The expectation for a capture of the sample window started with `sample`,
// under the program's default options.
CaptureExpectation ExpectationFor(SampleOptions const& sample);

// Empty when a saved capture matches the window's known pixels (alpha within
// 1, colour within 1 + 510 / alpha) as the options leave them; otherwise the
// size or the first pixel that differs. A capture made from a stale frame is
// as wrong as any other.
std::optional<std::string> CaptureDifference(CaptureExpectation const& expectation, std::uint32_t const* pixels,
                                             std::int32_t width, std::int32_t height);
