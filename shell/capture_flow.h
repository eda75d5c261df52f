#pragma once

#include <windows.h>

#include <cstdint>

// The capture that answers every hot key: the foreground window with a margin
// of 15 pixels, copied over a black and a white backdrop made of the hidden
// `host` window, each copy checked and a stale one made again, matted to real
// alpha, finished as the options of the moment ask (cursor, crop,
// checkerboard) and saved. Does nothing while another capture runs (a hot key
// that arrives inside the Save dialog's message loop), when the host itself
// is in front, when the window in front does not answer (it is "Not
// Responding"), when the rectangle holds no pixel of any monitor (a minimised
// window), when the target stays under another window, and when its copies
// stay stale.
void CaptureForegroundWindow(HWND host);

// Saves a finished capture the way the options of the moment say, into the
// program folder or through the Save dialog owned by `ownerWindow`.
void SaveCapture(HWND ownerWindow, HWND targetWindow, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height);
