#pragma once

#include "tests/support/sample_window/sample_pattern.h"

#include <cstdint>
#include <string>
#include <vector>

// The sample window's command line:
//   [--title TEXT] [--x N] [--y N] [--width N] [--height N] [--mode pattern|constant|opaque]
struct SampleOptions {
    std::wstring title = L"Lucidframe Sample";
    std::int32_t x = 200;
    std::int32_t y = 150;
    std::int32_t width = 320;
    std::int32_t height = 200;
    SampleMode mode = SampleMode::Pattern;
};

inline constexpr std::int32_t kSampleMaxSide = 16384;

// Reads the arguments that follow the program name into `options`. False for
// an unknown option, a missing value, a number that is not a whole decimal
// number within 32 bits, a side outside 1 to kSampleMaxSide, or an unknown mode.
bool ParseSampleOptions(const std::vector<std::wstring>& arguments, SampleOptions& options);
