#include "capture/backdrop_capture.h"

#include "capture/capture_bitmap.h"
#include "imaging/auto_crop.h"

#include <dwmapi.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

DWORD const kScreenCopy = SRCCOPY | CAPTUREBLT; // CAPTUREBLT: include layered windows, the backdrop among them
UINT const kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE;
BLENDFUNCTION const kBackdropBlend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
// A frame at 60 Hz: where nothing says when the compositor shows the next
// frame, the time it takes to.
DWORD const kFrameMs = 17;

// A buffer of the frame's size; each pass paints its backdrop into it.
PixelBuffer MakeFrameBuffer(RECT frame, HBITMAP& bitmap)
{
    PixelBuffer buffer = {nullptr, frame.right - frame.left, frame.bottom - frame.top};
    bitmap = CreateCaptureBitmap(buffer.width, buffer.height, &buffer.pixels, false, 0);
    return buffer;
}

// Returns once the compositor has had time to show a new frame: at its next
// composition where the system composes the desktop, after a frame's time
// where it does not say.
void WaitForTheCompositor()
{
    BOOL composing = FALSE;
    if (SUCCEEDED(DwmIsCompositionEnabled(&composing)) && composing && SUCCEEDED(DwmFlush()))
        return;
    Sleep(kFrameMs);
}

// Brings `window` to the top of the non-topmost windows: above every window
// like it, below every topmost one.
void RaiseToTopOfNonTopmost(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
}

// The desktop and the taskbar keep their own place in the z-order whatever
// they are asked.
bool KeepsItsOwnZOrder(HWND window)
{
    static wchar_t const* const kShellClasses[] = {L"Progman", L"WorkerW", L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"};
    if (window == GetDesktopWindow() || window == GetShellWindow())
        return true;
    wchar_t className[32] = {};
    GetClassNameW(window, className, ARRAYSIZE(className));
    return std::any_of(std::begin(kShellClasses), std::end(kShellClasses),
                       [&](wchar_t const* shellClass) { return lstrcmpW(className, shellClass) == 0; });
}

void AddUnseen(BackdropCapture& capture, RECT const& screenRect)
{
    capture.unseen.push_back({screenRect.left - capture.frame.left, screenRect.top - capture.frame.top,
                              screenRect.right - capture.frame.left, screenRect.bottom - capture.frame.top});
}

bool IsOwnedBy(HWND window, HWND owner)
{
    for (HWND up = GetWindow(window, GW_OWNER); up; up = GetWindow(up, GW_OWNER)) {
        if (up == owner)
            return true;
    }
    return false;
}

// Whether the raises brought the target to stand directly above the backdrop
// with nothing in front of it over the frame but topmost windows and its own
// popups, which the backdrop cannot show and which are noted as unseen. An
// elevated window seen from an unelevated program, or one that filters its
// z-order changes, stays where it was: another window over it would show in
// both copies, and the capture would pass that window off as the target. The
// desktop and the taskbar are copied as they stand: the backdrop may then
// stand anywhere, so none of their frame is the backdrop's to show.
bool TargetStandsInFront(BackdropCapture& capture)
{
    if (capture.target == nullptr)
        return true;
    if (KeepsItsOwnZOrder(capture.target)) {
        AddUnseen(capture, capture.frame);
        return true;
    }
    if (GetWindow(capture.target, GW_HWNDNEXT) != capture.host)
        return false;
    for (HWND window = GetWindow(capture.target, GW_HWNDPREV); window; window = GetWindow(window, GW_HWNDPREV)) {
        RECT windowRect = {};
        RECT overlap = {};
        if (!IsWindowVisible(window) || !GetWindowRect(window, &windowRect) ||
            !IntersectRect(&overlap, &windowRect, &capture.frame))
            continue;
        bool const topmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        if (!topmost && !IsOwnedBy(window, capture.target))
            return false;
        AddUnseen(capture, overlap);
    }
    return true;
}

// A capture rectangle that fills the screen leaves no room for the tag ring.
// Its copies are judged by the pair's rules alone, which cannot tell a
// translucent window over the desktop from one over the backdrop.
bool HasTagRing(BackdropCapture const& capture)
{
    return capture.inner.left > 0 || capture.inner.top > 0 || capture.inner.right < capture.black.width ||
           capture.inner.bottom < capture.black.height;
}

void CopyFrame(BackdropCapture const& capture, HDC memoryDC)
{
    BitBlt(memoryDC, 0, 0, capture.frame.right - capture.frame.left, capture.frame.bottom - capture.frame.top,
           capture.screenDC, capture.frame.left, capture.frame.top, kScreenCopy);
    GdiFlush(); // the copy must reach the pixels before they are read directly
}

// A copy of a frame without a ring waits for the compositor, and is made once
// more a frame later: the two must agree, or the compositor was still on its
// way, and the copy counts as stale.
bool CopySettles(BackdropCapture const& capture, HDC memoryDC, PixelBuffer const& buffer)
{
    std::int64_t const count = PixelCount(buffer.width, buffer.height);
    WaitForTheCompositor();
    CopyFrame(capture, memoryDC);
    std::uint64_t const first = PixelChecksum(buffer.pixels, count);
    WaitForTheCompositor();
    CopyFrame(capture, memoryDC);
    return PixelChecksum(buffer.pixels, count) == first;
}

// One copy of the frame with the host shown directly behind the target as a
// layered backdrop painted from the pass's buffer; the copy lands in that
// same buffer. The target is raised first, then the host is put directly
// behind it and shown, and only then painted: no state on the way has the
// backdrop in front of the target, so no frame the compositor shows can put
// it there. (Wine keeps no picture that a hidden layered window is given, so
// it is painted once shown; and it maps the painted window on top of the X
// stack whatever the z-order says, so the target is put back on top, which
// changes nothing on Windows.) The host is placed and shown without
// activation: taking it from the target would close the target's menus and
// tooltips and repaint its caption between the two copies. A first copy
// follows the z-order calls at once: a message handled in between could
// repaint or move the windows. A copy made again, after a stale one, waits
// for the compositor first, as it did not keep up the first time.
bool CopyOverBackdrop(BackdropCapture& capture, Backdrop pass, CopyTiming timing)
{
    PixelBuffer const& buffer = pass == Backdrop::Black ? capture.black : capture.white;
    HDC const memoryDC = pass == Backdrop::Black ? capture.blackDC : capture.whiteDC;
    SelectObject(memoryDC, pass == Backdrop::Black ? capture.blackBitmap : capture.whiteBitmap);
    PaintBackdrop(buffer.pixels, buffer.width, buffer.height, capture.inner, pass);
    SetForegroundWindow(capture.target);
    RaiseToTopOfNonTopmost(capture.target);
    SetWindowPos(capture.host, capture.target, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    POINT origin = {capture.frame.left, capture.frame.top};
    SIZE size = {buffer.width, buffer.height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = kBackdropBlend;
    UpdateLayeredWindow(capture.host, capture.hostDC, &origin, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
    SetWindowPos(capture.target, HWND_TOP, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE);
    bool const inFront = TargetStandsInFront(capture);
    bool settled = true;
    if (inFront && !HasTagRing(capture)) {
        settled = CopySettles(capture, memoryDC, buffer);
    } else if (inFront) {
        if (timing == CopyTiming::AfterAFrame)
            WaitForTheCompositor();
        CopyFrame(capture, memoryDC);
    }
    (pass == Backdrop::Black ? capture.unsettled.black : capture.unsettled.white) = !settled;
    ShowWindow(capture.host, SW_HIDE);
    return inFront;
}

} // namespace

bool PrepareBackdropCapture(HWND host, HWND target, CaptureRect rect, ScreenLayout const& screen,
                            BackdropCapture& capture)
{
    capture = {};
    capture.host = host;
    capture.target = target;
    capture.rect = {rect.left, rect.top, rect.right, rect.bottom};
    if (!HasPixels(rect))
        return false;
    CaptureRect const frame = TagFrameAround(rect, screen.bounds);
    capture.frame = {frame.left, frame.top, frame.right, frame.bottom};
    capture.monitors = RelativeTo(screen.monitors, frame.left, frame.top);
    capture.inner = {rect.left - frame.left, rect.top - frame.top, rect.right - frame.left, rect.bottom - frame.top};
    capture.black = MakeFrameBuffer(capture.frame, capture.blackBitmap);
    capture.white = MakeFrameBuffer(capture.frame, capture.whiteBitmap);
    capture.screenDC = GetDC(nullptr);
    capture.hostDC = GetDC(host);
    capture.blackDC = CreateCompatibleDC(capture.hostDC);
    capture.whiteDC = CreateCompatibleDC(capture.hostDC);
    return capture.blackBitmap && capture.whiteBitmap && capture.screenDC && capture.hostDC && capture.blackDC &&
           capture.whiteDC;
}

bool CopyOverBackdrops(BackdropCapture& capture, StaleCopies which, CopyTiming timing)
{
    return (!which.black || CopyOverBackdrop(capture, Backdrop::Black, timing)) &&
           (!which.white || CopyOverBackdrop(capture, Backdrop::White, timing));
}

StaleCopies StaleCopiesOf(BackdropCapture const& capture)
{
    StaleCopies stale = FindStaleCopies({capture.black.pixels, capture.white.pixels, capture.black.width,
                                         capture.black.height, capture.inner, capture.unseen, capture.monitors});
    stale.black = stale.black || capture.unsettled.black;
    stale.white = stale.white || capture.unsettled.white;
    return stale;
}

MattedCapture ShadowOf(BackdropCapture const& capture, CaptureRect window)
{
    std::int32_t const left = capture.frame.left;
    std::int32_t const top = capture.frame.top;
    return {capture.white.pixels,
            capture.white.width,
            capture.white.height,
            capture.inner,
            {window.left - left, window.top - top, window.right - left, window.bottom - top},
            capture.unseen};
}

void DropTagRing(BackdropCapture& capture)
{
    CropToBox(capture.white.pixels, capture.white.width, capture.white.height, capture.inner.left, capture.inner.top,
              capture.inner.right - capture.inner.left, capture.inner.bottom - capture.inner.top);
}

void ReleaseBackdropCapture(BackdropCapture& capture)
{
    if (capture.blackDC)
        DeleteDC(capture.blackDC);
    if (capture.whiteDC)
        DeleteDC(capture.whiteDC);
    if (capture.whiteBitmap)
        DeleteObject(capture.whiteBitmap);
    if (capture.blackBitmap)
        DeleteObject(capture.blackBitmap);
    if (capture.hostDC)
        ReleaseDC(capture.host, capture.hostDC);
    if (capture.screenDC)
        ReleaseDC(nullptr, capture.screenDC);
    capture = {};
}
