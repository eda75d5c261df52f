#pragma once

#include <windows.h>

#include <cstdint>

#include "output/save_capture_win32.h"
#include "shell/capture_outcome.h"
#include "shell/settings.h"

// Delivers a finished capture of `targetWindow`, `width` x `height` pixels:
// encoded once, onto the clipboard where `settings` ask, and to
// `destination`, its folder or the Save dialog; `ownerWindow` owns what it
// puts on the clipboard.
// Returns what the user is to be told.
CaptureOutcome DeliverCapture(HWND ownerWindow, HWND targetWindow, std::uint32_t const* pixels, std::int32_t width,
                              std::int32_t height, Settings const& settings, CaptureDestination const& destination);
