#pragma once

#include <windows.h>

// Captures the foreground window with a margin of 15 pixels, with real alpha,
// through the hidden layered `host` window used as a black and then a white
// backdrop; applies the options of g_app.settings and saves the result. Does
// nothing while another capture runs (a hot key that arrives inside the Save
// dialog's message loop), and nothing when the rectangle holds no pixel of the
// primary screen (a minimised window, a window on another monitor).
void CaptureForegroundWindow(HWND host);
