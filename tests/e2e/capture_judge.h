#pragma once

#include "tests/support/sample_window/sample_pattern.h"

#include <cstdint>
#include <string>

// What Lucidframe should save for a capture of the sample window, lying wholly
// on the primary screen with the pointer outside its rectangle, under the
// given options.
struct CaptureExpectation {
    SampleMode mode = SampleMode::Pattern;
    std::int32_t windowWidth = 320;
    std::int32_t windowHeight = 200;
    bool autoCrop = true;
    bool checkerboard = false;
};

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
