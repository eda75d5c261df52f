#pragma once

#include <windows.h>

#include <vector>

#include "capture/popups.h"

// The visible top-level windows in front of `target` that overlap `area` (on
// the screen), from the one directly above it up, as records beside it
// (target_standing.h).
std::vector<WindowRecord> WindowsInFrontOf(HWND target, CaptureRect area);

// The visible top-level windows in front of `target` that its own process
// made, wherever they are: the only ones that can be its popups (popups.h).
std::vector<WindowRecord> PopupCandidatesOf(HWND target);
