#pragma once

#include <windows.h>

// The capture that answers every hot key: the foreground window with the
// margin its shadow needs, copied over a black and a white backdrop made of
// the hidden `host` window, matted to real alpha (capture/capture_policy.h),
// finished as the options of the moment ask (cursor, crop, checkerboard),
// put on the clipboard and saved, and a balloon from the tray icon says what
// became of it. Does nothing while another capture runs (a hot key that
// arrives inside the Save dialog's message loop) and, silently, when the
// host itself is in front. No file is saved when the window in front does
// not answer (it is "Not Responding"), when the rectangle holds no pixel of
// any monitor (a minimised window), when the target stays under another
// window, when it does not allow capture (a display affinity), and when its
// copies stay stale; the balloon says which.
void CaptureForegroundWindow(HWND host);
