#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/capture_outcome.h"

// The capture that answers every hot key: the foreground window with a margin
// of 15 pixels, copied over a black and a white backdrop made of the hidden
// `host` window, each copy checked and a stale one made again, matted to real
// alpha, finished as the options of the moment ask (cursor, crop,
// checkerboard), put on the clipboard and saved, and a balloon from the tray
// icon says what became of it. Does nothing while another capture runs (a
// hot key that arrives inside the Save dialog's message loop) and, silently,
// when the host itself is in front. No file is saved when the window in front
// does not answer (it is "Not Responding"), when the rectangle holds no pixel
// of any monitor (a minimised window), when the target stays under another
// window, and when its copies stay stale; the balloon says which.
void CaptureForegroundWindow(HWND host);

// Delivers a finished capture the way the options of the moment say: onto the
// clipboard, and into the program folder or through the Save dialog owned by
// `ownerWindow`. Returns what the user is to be told.
CaptureOutcome SaveCapture(HWND ownerWindow, HWND targetWindow, const std::uint32_t* pixels, std::int32_t width,
                           std::int32_t height);
