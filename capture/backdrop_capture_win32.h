#pragma once

#include <windows.h>

#include "capture/capture_rect.h"
#include "capture/copy_check.h"
#include "capture/screen_layout_win32.h"
#include "capture/screen_transfer.h"
#include "capture/shadow_margin.h"
#include "imaging/pixel_buffer.h"

#include <vector>

// Everything one capture makes, from PrepareBackdropCapture to
// ReleaseBackdropCapture: a black and a white buffer of the frame's size with
// their bitmaps, the screen and host device contexts, and a memory device
// context for each buffer. The frame is the capture rectangle with the tag
// ring around it (copy_check.h); both buffers hold the whole frame until
// DropTagRing.
struct BackdropCapture {
    HWND host;           // the hidden layered window that serves as the backdrop
    HWND target;         // the window captured
    RECT rect;           // the capture rectangle on the screen
    RECT frame;          // the rectangle the backdrop covers and each pass copies: rect and the tag ring
    CaptureRect inner;   // rect in the frame's own coordinates
    CaptureRect window;  // the target's own window in the frame's coordinates
    std::vector<CaptureRect> monitors; // the monitors in the frame's coordinates
    std::vector<CaptureRect> unseen; // parts of the frame that windows in front of the target cover
    StaleCopies unsettled;           // passes whose copies, without a tag ring, did not agree a frame apart
    ColourPipeline pipeline;         // how the screen copies what is painted, and the white backdrop's level
    PixelBuffer black;   // the screen as seen over black
    PixelBuffer white;   // the screen as seen over white
    HBITMAP blackBitmap;
    HBITMAP whiteBitmap;
    HDC screenDC;
    HDC hostDC;
    HDC blackDC;
    HDC whiteDC;         // holds the white buffer: drawing on it reaches the image
};

// Shows the host, one transparent pixel large at the bottom of the z-order,
// as it waits from start-up on and between captures: wine puts a window it
// shows on top of every other, whatever the z-order says, and puts a window
// back on top only when nothing stands above it, so a host shown anew would
// cover a target whose menu or tooltip is open above it (CopyOverBackdrops).
// Parked, it stays below every window the user raises after it. On Windows a
// transparent pixel that takes no clicks changes nothing.
void ParkBackdropHost(HWND host);

// Makes the two buffers of the frame's size, `rect` grown by the tag ring
// where the virtual screen of `screen` has room, and the device contexts; the
// copies will be matted as `pipeline` says. False when `rect` holds no pixel
// or any of them cannot be made; ReleaseBackdropCapture releases what was
// made either way.
bool PrepareBackdropCapture(HWND host, HWND target, CaptureRect rect, ScreenLayout const& screen,
                            ColourPipeline const& pipeline, BackdropCapture& capture);

enum class CopyTiming {
    AtOnce,      // straight after the z-order calls: nothing may come between
    AfterAFrame, // once the compositor has had time to show the backdrop: for a copy made again
};

// The passes that `which` names, black first: the frame copied into the black
// buffer with the host shown directly behind the target as an opaque black
// backdrop, and into the white buffer over an opaque white one, each with its
// tag ring. The target is made the foreground window and the host never
// takes the activation. What lies in front of the target is added to
// `unseen`. False, with nothing more copied, when a pass finds that the target
// did not come to stand directly above the backdrop (an elevated window, one
// that keeps its place in the z-order): its copy would show the backdrop
// alone. The desktop and the taskbar, which keep their own place, are copied
// as they stand, and all of their frame is unseen. Windows on another virtual
// desktop (cloaked) are not in front. A frame without a tag ring in view
// (TagRingInView) is copied a frame after its backdrop stands, and again a
// frame later. A topmost target stays topmost, and the host leaves the
// topmost windows again once hidden.
bool CopyOverBackdrops(BackdropCapture& capture, StaleCopies which, CopyTiming timing);

// Which copies show a frame other than their own pass's (FindStaleCopies),
// or, where no tag ring fits, changed from one frame to the next.
StaleCopies StaleCopiesOf(BackdropCapture const& capture);

// Learns from the staircase in current copies how `monitor` copies what is
// painted (MeasureTransfer), where the capture's pipeline composes in linear
// light. True when it did. Where the white backdrop then turns out to clip,
// the pipeline's white level is lowered: the white copy must be made again.
bool MeasureScreenTransfer(BackdropCapture& capture, HMONITOR monitor);

// The matted white buffer as the margin sees it, with the target's window
// rectangle `window` (on the screen).
MattedCapture ShadowOf(BackdropCapture const& capture, CaptureRect window);

// Cuts the tag ring out of the white buffer, whose width and height become
// the capture rectangle's.
void DropTagRing(BackdropCapture& capture);

// Releases what PrepareBackdropCapture made, in the program's order: memory
// DCs, then the bitmaps they held, then the host and screen DCs.
void ReleaseBackdropCapture(BackdropCapture& capture);
