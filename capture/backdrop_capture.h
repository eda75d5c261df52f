#pragma once

#include <windows.h>

#include "capture/capture_rect.h"
#include "imaging/pixel_buffer.h"

// Everything one capture makes, from PrepareBackdropCapture to
// ReleaseBackdropCapture: a black and a white buffer of the capture
// rectangle's size with their bitmaps, the screen and host device contexts,
// and a memory device context for each buffer.
struct BackdropCapture {
    HWND host;           // the hidden layered window that serves as the backdrop
    HWND target;         // the window captured
    RECT rect;           // the capture rectangle on the screen
    PixelBuffer black;   // the screen as seen over black
    PixelBuffer white;   // the screen as seen over white
    HBITMAP blackBitmap;
    HBITMAP whiteBitmap;
    HDC screenDC;
    HDC hostDC;
    HDC blackDC;
    HDC whiteDC;         // holds the white buffer: drawing on it reaches the image
};

// Makes the two buffers of `rect`'s size, filled with opaque black and opaque
// white, and the device contexts. False when `rect` holds no pixel or any of
// them cannot be made; ReleaseBackdropCapture releases what was made either
// way.
bool PrepareBackdropCapture(HWND host, HWND target, CaptureRect rect, BackdropCapture& capture);

// The two passes: the screen rectangle copied into the black buffer with the
// host shown directly behind the target as an opaque black backdrop, then
// into the white buffer over an opaque white one. The target is made the
// foreground window and the host never takes the activation. False, with
// nothing more copied, when a pass finds that the target did not come to
// stand directly above the backdrop (an elevated window, one that keeps its
// place in the z-order): its copy would show the backdrop alone. The desktop
// and the taskbar, which keep their own place, are copied as they stand.
bool CopyOverBothBackdrops(BackdropCapture& capture);

// Releases what PrepareBackdropCapture made, in the program's order: memory
// DCs, then the bitmaps they held, then the host and screen DCs.
void ReleaseBackdropCapture(BackdropCapture& capture);
