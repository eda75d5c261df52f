#pragma once

#include <windows.h>

#include "capture/capture_policy.h"
#include "capture/raise_plan.h"

// Shows the host off every monitor at the bottom of the z-order, as it waits
// from start-up on and between captures: wine puts a window it shows on top
// of every other, whatever the z-order says, and puts a window back on top
// only when nothing stands above it, so a host shown anew would cover a
// target whose menu or tooltip is open above it. Parked, it stays below
// every window the user raises after it. On Windows a window off every
// monitor changes nothing.
void ParkBackdropHost(HWND host);

// Gives the host its first picture, one transparent pixel, and parks it:
// wine shows a layered window only once it has a picture, and a host that
// first showed at its first capture would land on top of the windows the
// user raised since start-up.
void PrepareBackdropHost(HWND host);

// The screen as a capture sees it (capture_policy.h): the hidden layered
// `host` window shown directly behind `target` as the backdrop, and copies
// of the frame into two 32-bit bitmaps whose memory is the buffers. A target
// with `popupsOpen` (popups.h) finds the host parked below it and leaves it
// parked between the passes (ParkBackdropHost). It owns
// what it makes, from MakeBuffers to its end or the next MakeBuffers: the
// two bitmaps, a memory device context for each, and the screen and host
// device contexts, released in the program's order (memory DCs, then the
// bitmaps, then the host and screen DCs).
class BackdropScreen final : public CaptureScreen {
public:
    BackdropScreen(HWND host, HWND target, bool popupsOpen, bool ownsTopmostWindow)
        : m_host(host), m_target(target), m_popupsOpen(popupsOpen), m_ownsTopmostWindow(ownsTopmostWindow)
    {
    }
    ~BackdropScreen() override { Release(); }
    BackdropScreen(BackdropScreen const&) = delete;
    BackdropScreen& operator=(BackdropScreen const&) = delete;

    bool MakeBuffers(CaptureRect frame, PixelBuffer& black, PixelBuffer& white) override;

    // The target is made the foreground window and raised within its band
    // as the plan says (raise_plan.h; a topmost target stays topmost, and so
    // do the topmost windows it owns), then the host is put directly
    // behind it without activation: taking the activation would close the
    // target's menus and tooltips and repaint its caption between the two
    // copies. No state on the way has the backdrop in front of the target,
    // where the compositor could show it. What stands in front of the target
    // is read from the z-order; windows on another virtual desktop (cloaked)
    // show nothing.
    TargetStanding ShowBackdrop(Backdrop pass) override;

    // A first copy follows the z-order calls with nothing in between but the
    // wait for the compositor where the system composes: a message handled
    // in between could repaint or move the windows. It asks for layered
    // windows only where nothing composes (raise_plan.h).
    void CopyScreen(Backdrop pass, CopyTiming timing) override;

    // The host is hidden again, and leaves the topmost windows that a
    // topmost target took it into; for a target with popups open it goes
    // back to its parking place instead.
    void HideBackdrop() override;

    // The device context that holds the white buffer: drawing on it reaches
    // the image.
    HDC ImageDC() const { return m_dcs[1]; }

private:
    void Release();
    void ShowHostBehindTarget(HDC memoryDC, SIZE size) const;
    TargetStanding Standing() const;
    RaisePlan Plan() const;

    HWND const m_host;   // the hidden layered window that serves as the backdrop
    HWND const m_target; // the window captured, or none
    bool const m_popupsOpen; // the target has popups open: the host stays parked between passes
    bool const m_ownsTopmostWindow; // the target owns a visible topmost window (raise_plan.h)
    RECT m_frame = {};   // the rectangle the backdrop covers and each copy takes
    HBITMAP m_bitmaps[2] = {}; // black, white
    HDC m_dcs[2] = {};         // memory DCs, each holding its bitmap
    HDC m_screenDC = nullptr;
    HDC m_hostDC = nullptr;
};
