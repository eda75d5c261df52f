#pragma once

#include <windows.h>

#include <vector>

#include "capture/popups.h"

// The visible top-level windows in front of `target`, from the one directly
// above it up, as
// records for IsTransientPopup.
std::vector<WindowRecord> WindowsInFrontOf(HWND target);

// Whether `owner` is among the owners of `window`, however far up.
bool IsOwnedBy(HWND window, HWND owner);

// The record of one window beside `target`.
WindowRecord RecordOf(HWND window, HWND target);
