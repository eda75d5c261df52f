#pragma once

#include "tests/support/sample_window/sample_options.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <cstdint>
#include <functional>
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

enum class CaptureVerdict {
    Matches,
    CompositorRace, // the compositor showed an old frame to one screen copy
    Wrong,
};

struct CaptureJudgement {
    CaptureVerdict verdict;
    std::string detail; // the old frame for a race, the first differing pixel when wrong
};

// Judges a saved capture. A capture that matches the window's known pixels
// (alpha within 1, colour within 1 + 510 / alpha) matches. Otherwise it is a
// compositor race only when it is, within the same tolerance, what the
// program makes of two screen copies of which one or both show a frame from
// before that pass's backdrop stood directly behind the window, as measured
// on the test display (capture_judge.cpp says which and why). Anything else
// is wrong.
CaptureJudgement JudgeCapture(CaptureExpectation const& expectation, std::uint32_t const* pixels, std::int32_t width,
                              std::int32_t height);
