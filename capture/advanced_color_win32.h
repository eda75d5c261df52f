#pragma once

#include <windows.h>

#include "capture/colour_answers.h"

#include <vector>

// With advanced colour on (HDR; Windows 11's Auto Color Management), the
// compositor blends in linear light and lifts SDR white: the pair of copies
// over black and white then no longer gives exact 8-bit alpha, and the
// capture mattes them in linear light through what the staircase measured
// (capture/screen_transfer.h).

// The active display paths that show `monitor`: one, or more where it is
// cloned onto several displays. None where the system cannot tell (before
// Windows 7).
std::vector<DISPLAYCONFIG_PATH_INFO> DisplayPathsOf(HMONITOR monitor);

// The colour of `monitor` (colour_answers.h): the first of its displays that
// composes in linear light sets it. SDR at 80 nits where the system cannot
// tell: before Windows 10 1709, and under wine.
MonitorColour ColourOfMonitor(HMONITOR monitor);
