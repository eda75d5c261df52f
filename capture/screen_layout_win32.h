#pragma once

#include <windows.h>

#include "capture/screen_layout.h"

// The layout of this moment's monitors, from the system.
ScreenLayout CurrentScreenLayout();

// The dots per inch of the monitor that shows most of `window` (or is
// nearest to it), 96 at 100 % scaling; 96 where the system cannot tell
// (before Windows 8.1).
UINT DpiOf(HWND window);
