#pragma once

#include <windows.h>

#include "capture/colour_mode.h"
#include "capture/screen_layout.h"

#include <vector>

// One monitor as a capture needs to know it.
struct MonitorFacts {
    HMONITOR handle;
    CaptureRect rect;
    ColourMode colourMode = ColourMode::Sdr;
    double sdrWhiteNits = 80.0; // where SDR content's white is shown, in HDR
};

// What the system says of the monitors: their layout, and how each
// composes. Asking costs milliseconds (under wine, several), so the shell
// keeps the answer until the system announces a change of the displays,
// which it does for a monitor added or taken away, a change of resolution
// or arrangement, and a change of the colour mode, with WM_DISPLAYCHANGE.
struct DisplayFacts {
    ScreenLayout layout;
    std::vector<MonitorFacts> monitors; // in the order of the layout's
};

DisplayFacts CurrentDisplayFacts();

// What the system says now of `monitor`, which covers `rect`.
MonitorFacts FactsOfMonitor(HMONITOR monitor, CaptureRect rect);

// The dots per inch of the monitor that shows most of `window` (or is
// nearest to it), 96 at 100 % scaling; 96 where the system cannot tell
// (before Windows 8.1).
UINT DpiOf(HWND window);
