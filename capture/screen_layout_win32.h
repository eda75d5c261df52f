#pragma once

#include <windows.h>

#include "capture/screen_layout.h"

// The layout of this moment's monitors, from the system.
ScreenLayout CurrentScreenLayout();

// The dots per inch of the monitor that shows `window`, 96 at 100 % scaling;
// 96 where the system cannot tell (before Windows 10).
UINT DpiOf(HWND window);
