#pragma once

#include <windows.h>

#include <vector>

#include "capture/popups.h"

// The visible top-level windows in front of `target` that overlap `area` (on
// the screen), from the one directly above it up, as records beside it
// (target_standing.h).
std::vector<WindowRecord> WindowsInFrontOf(HWND target, CaptureRect area);

// The visible top-level windows in front of `target` that its own process
// made, by any of its threads, wherever they are: the only ones that can be
// its popups (popups.h).
std::vector<WindowRecord> PopupCandidatesOf(HWND target);

// The window a capture asked for `foreground` takes: its root owner where
// the foreground window is itself one of the owner's popups
// (CapturesOwnerInstead, with `screen` the bounds of every monitor), the
// foreground window otherwise.
HWND CaptureTargetFor(HWND foreground, CaptureRect screen);
