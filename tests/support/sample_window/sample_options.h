#pragma once

#include "tests/support/sample_window/sample_pattern.h"

#include <cstdint>
#include <string>
#include <vector>

// The sample window's command line:
//   [--title TEXT] [--x N] [--y N] [--width N] [--height N] [--mode pattern|constant|opaque]
//   [--refuse-zorder]
// With --refuse-zorder the window goes back to the bottom of the z-order
// whenever it is raised: no program can bring it above another window, as an
// unelevated program cannot raise an elevated one.
struct SampleOptions {
    std::wstring title = L"Lucidframe Sample";
    std::int32_t x = 200;
    std::int32_t y = 150;
    std::int32_t width = 320;
    std::int32_t height = 200;
    SampleMode mode = SampleMode::Pattern;
    bool refuseZOrder = false;
};

// Sent to the sample window, answered with how often it has been deactivated
// (WM_ACTIVATE with WA_INACTIVE and WM_NCACTIVATE with FALSE, counted
// together): a capture must take no activation from its target. WM_APP + 1.
inline constexpr unsigned kSampleDeactivationsQuery = 0x8001;

// Posted to the sample window: its thread stops handling messages for wParam
// milliseconds, as a program that is "Not Responding". WM_APP + 2.
inline constexpr unsigned kSampleStopAnswering = 0x8002;

// Posted to the sample window: from now on it keeps changing colour, every
// pixel opaque, painted as often as it can, so that no two screen copies a
// few milliseconds apart agree: a window whose content keeps changing, as a
// playing video does. WM_APP + 3.
inline constexpr unsigned kSampleStartFading = 0x8003;

// Posted to the sample window with a point on the screen in lParam (x in the
// low word, y in the high word, each signed): it opens its context menu of
// kSampleMenuItems items with its top-left corner there, as a right click
// would, and keeps it open until it is dismissed. WM_APP + 4.
inline constexpr unsigned kSampleOpenMenu = 0x8004;
inline constexpr int kSampleMenuItems = 10;

inline constexpr std::int32_t kSampleMaxSide = 16384;

// Reads the arguments that follow the program name into `options`. False for
// an unknown option, a missing value, a number that is not a whole decimal
// number within 32 bits, a side outside 1 to kSampleMaxSide, or an unknown mode.
bool ParseSampleOptions(const std::vector<std::wstring>& arguments, SampleOptions& options);
