#pragma once

#include <windows.h>

#include <vector>

#include "capture/popups.h"

// The visible top-level windows in front of `target`, from the one directly
// above it up, as records beside it (popups.h, target_standing.h).
std::vector<WindowRecord> WindowsInFrontOf(HWND target);
