#include "capture/backdrop_capture_win32.h"

#include "capture/capture_bitmap_win32.h"
#include "capture/popups_win32.h"
#include "imaging/auto_crop.h"

#include <dwmapi.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

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

// Whether the Desktop Window Manager composes the desktop: always from
// Windows 8 on, with Aero on Windows 7; never under wine.
bool SystemComposes()
{
    BOOL composing = FALSE;
    return SUCCEEDED(DwmIsCompositionEnabled(&composing)) && composing;
}

// Returns once the compositor has had time to show a new frame: at its next
// composition where the system composes the desktop, after a frame's time
// where it does not say.
void WaitForTheCompositor()
{
    if (SystemComposes() && SUCCEEDED(DwmFlush()))
        return;
    Sleep(kFrameMs);
}

bool IsTopmost(HWND window)
{
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Brings `window` to the top of its own band: a topmost window above every
// window, any other above every non-topmost one and below every topmost one.
// The pair HWND_TOPMOST, HWND_NOTOPMOST would strip a topmost window of its
// state for good, and its owner and owned windows with it (SetWindowPos
// remarks); a capture must not change the window it captures.
void RaiseWithinItsBand(HWND window)
{
    if (IsTopmost(window)) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kZOrderOnly);
        return;
    }
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
}

// Hides the host. Placed directly behind a topmost target, it became topmost
// itself; it leaves the topmost windows again, so that the next capture finds
// it as every capture does.
void HideHost(HWND host)
{
    ShowWindow(host, SW_HIDE);
    if (IsTopmost(host))
        SetWindowPos(host, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE);
}

// Whether `target` has menus, tooltips or drop-down lists open.
bool HasPopupsOpen(HWND target)
{
    std::vector<WindowRecord> const windows = WindowsInFrontOf(target);
    return std::any_of(windows.begin(), windows.end(), IsTransientPopup);
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

// A window on another virtual desktop is cloaked: it shows nothing, yet
// IsWindowVisible says it is visible. Before Windows 8 the attribute is
// unknown and nothing is cloaked.
bool IsCloaked(HWND window)
{
    DWORD cloaked = 0;
    return SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked != 0;
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
        if (!IsWindowVisible(window) || IsCloaked(window) || !GetWindowRect(window, &windowRect) ||
            !IntersectRect(&overlap, &windowRect, &capture.frame))
            continue;
        // The target's popups are part of the capture, over the backdrop
        // like the target itself.
        if (IsTransientPopup(RecordOf(window, capture.target)))
            continue;
        if (!IsTopmost(window) && !IsOwnedBy(window, capture.target))
            return false;
        AddUnseen(capture, overlap);
    }
    return true;
}

BackdropCopies CopiesOf(BackdropCapture const& capture)
{
    return {capture.black.pixels, capture.white.pixels, capture.black.width, capture.black.height,
            capture.inner,        capture.unseen,       capture.monitors,    capture.window,
            WhiteShown(capture.pipeline)};
}

void CopyFrame(BackdropCapture const& capture, HDC memoryDC)
{
    BitBlt(memoryDC, 0, 0, capture.frame.right - capture.frame.left, capture.frame.bottom - capture.frame.top,
           capture.screenDC, capture.frame.left, capture.frame.top, kScreenCopy);
    GdiFlush(); // the copy must reach the pixels before they are read directly
}

// A copy of a frame without a ring in view waits for the compositor, and is
// made once more a frame later: the two must agree, or the compositor was
// still on its way, and the copy counts as stale. The pair's rules alone
// cannot tell a translucent window over the desktop from one over the
// backdrop.
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

// Gives the host the frame's place and size and the pass's backdrop, painted
// from the memory DC, as its whole picture.
void PaintHost(BackdropCapture const& capture, HDC memoryDC, SIZE size)
{
    POINT origin = {capture.frame.left, capture.frame.top};
    POINT source = {0, 0};
    BLENDFUNCTION blend = kBackdropBlend;
    UpdateLayeredWindow(capture.host, capture.hostDC, &origin, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
}

void ShowHostBehindTarget(BackdropCapture const& capture)
{
    SetWindowPos(capture.host, capture.target, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Shows the host directly behind the target, with the pass's backdrop.
// Where the system composes, the host is painted while still hidden:
// Windows keeps a hidden layered window's picture, so the host stands in
// full the moment it is shown, not with the last pass's picture. And the
// copy waits for the next composition: DWM composes once per refresh and
// presents from a swap chain, so a copy made at once would show the frame
// before the backdrop. The host is painted once shown as well: wine keeps no
// picture that a hidden layered window is given, even where it reports
// composition (when it plays Windows 8.1 or later); on Windows this repeats
// the same picture. Wine then maps the painted window on top of the X stack
// whatever the z-order says, so the target is put back on top, which changes
// nothing on Windows. Wine restacks the X window only for a real change of
// the z-order, and a topmost target may already stand first: where nothing
// composes, the host is lifted directly above it for a moment (it leaves the
// topmost windows again once hidden, HideHost). On a Windows desktop that
// nothing composes (Windows 7 without Aero) that moment may make a topmost
// target repaint, which the check of the copies finds like any stale frame.
void ShowBackdrop(BackdropCapture const& capture, HDC memoryDC, SIZE size)
{
    bool const composes = SystemComposes();
    if (composes)
        PaintHost(capture, memoryDC, size);
    ShowHostBehindTarget(capture);
    PaintHost(capture, memoryDC, size);
    bool const topmost = IsTopmost(capture.target);
    if (topmost && !composes) {
        HWND const above = GetWindow(capture.target, GW_HWNDPREV);
        SetWindowPos(capture.host, above ? above : HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE);
    }
    SetWindowPos(capture.target, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE);
    if (composes)
        WaitForTheCompositor();
}

// One copy of the frame with the host shown directly behind the target as a
// layered backdrop painted from the pass's buffer; the copy lands in that
// same buffer. The target is raised first, then the host is put directly
// behind it: no state on the way has the backdrop in front of the target
// where the compositor could show it. The host is placed and shown without
// activation: taking it from the target would close the target's menus and
// tooltips and repaint its caption between the two copies. A first copy
// follows the z-order calls with nothing in between but the wait for the
// compositor: a message handled in between could repaint or move the
// windows. A copy made again, after a stale one, waits for the compositor
// first, as it did not keep up the first time.
bool CopyOverBackdrop(BackdropCapture& capture, Backdrop pass, CopyTiming timing)
{
    PixelBuffer const& buffer = pass == Backdrop::Black ? capture.black : capture.white;
    HDC const memoryDC = pass == Backdrop::Black ? capture.blackDC : capture.whiteDC;
    SelectObject(memoryDC, pass == Backdrop::Black ? capture.blackBitmap : capture.whiteBitmap);
    PaintBackdrop(buffer.pixels, buffer.width, buffer.height, capture.inner, pass, capture.pipeline.whiteBackdrop);
    // Wine shows a window that was hidden on top of every other, and the
    // target is put back above it only when nothing stands above the target:
    // a target with a popup open above it would stay under its backdrop. Such
    // a target finds the host parked below it, shown since before the user
    // raised the target, and leaves it parked; any other finds it hidden and
    // leaves it hidden, so that it comes up over every window that lies below
    // the target, wherever wine stacks them. Windows stacks by the z-order
    // alone, hidden or parked.
    bool const popupsOpen = HasPopupsOpen(capture.target);
    if (!popupsOpen)
        ShowWindow(capture.host, SW_HIDE);
    SetForegroundWindow(capture.target);
    RaiseWithinItsBand(capture.target);
    ShowBackdrop(capture, memoryDC, {buffer.width, buffer.height});
    bool const inFront = TargetStandsInFront(capture);
    bool settled = true;
    if (inFront && !TagRingInView(CopiesOf(capture))) {
        settled = CopySettles(capture, memoryDC, buffer);
    } else if (inFront) {
        if (timing == CopyTiming::AfterAFrame)
            WaitForTheCompositor();
        CopyFrame(capture, memoryDC);
    }
    (pass == Backdrop::Black ? capture.unsettled.black : capture.unsettled.white) = !settled;
    if (popupsOpen)
        ParkBackdropHost(capture.host);
    else
        HideHost(capture.host);
    return inFront;
}

} // namespace

void ParkBackdropHost(HWND host)
{
    HDC const screenDC = GetDC(nullptr);
    HDC const memoryDC = CreateCompatibleDC(screenDC);
    std::uint32_t* pixel = nullptr;
    HBITMAP const transparent = CreateCaptureBitmap(1, 1, &pixel, false, 0);
    HGDIOBJ const previous = SelectObject(memoryDC, transparent);
    POINT origin = {0, 0};
    SIZE size = {1, 1};
    POINT source = {0, 0};
    BLENDFUNCTION blend = kBackdropBlend;
    UpdateLayeredWindow(host, screenDC, &origin, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
    SelectObject(memoryDC, previous);
    DeleteDC(memoryDC);
    DeleteObject(transparent);
    ReleaseDC(nullptr, screenDC);
    // At the bottom: placed behind a topmost target, the host became topmost
    // itself, and only HWND_BOTTOM takes that from it without lifting it
    // anywhere (under wine, a window made first is restacked on top of X).
    SetWindowPos(host, HWND_BOTTOM, 0, 0, 0, 0, kZOrderOnly | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool PrepareBackdropCapture(HWND host, HWND target, CaptureRect rect, ScreenLayout const& screen,
                            ColourPipeline const& pipeline, BackdropCapture& capture)
{
    capture = {};
    capture.pipeline = pipeline;
    capture.host = host;
    capture.target = target;
    capture.rect = {rect.left, rect.top, rect.right, rect.bottom};
    if (!HasPixels(rect))
        return false;
    CaptureRect const frame = TagFrameAround(rect, screen.bounds);
    capture.frame = {frame.left, frame.top, frame.right, frame.bottom};
    capture.monitors = RelativeTo(screen.monitors, frame.left, frame.top);
    capture.inner = {rect.left - frame.left, rect.top - frame.top, rect.right - frame.left, rect.bottom - frame.top};
    RECT window = {};
    if (GetWindowRect(target, &window))
        capture.window = {window.left - frame.left, window.top - frame.top, window.right - frame.left,
                          window.bottom - frame.top};
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
    StaleCopies stale = FindStaleCopies(CopiesOf(capture));
    stale.black = stale.black || capture.unsettled.black;
    stale.white = stale.white || capture.unsettled.white;
    return stale;
}

bool MeasureScreenTransfer(BackdropCapture& capture, HMONITOR monitor)
{
    MONITORINFO info = {sizeof(info), {}, {}, 0};
    if (!capture.pipeline.linearLight || !GetMonitorInfoW(monitor, &info))
        return false;
    RECT const& bounds = info.rcMonitor;
    std::optional<ScreenTransfer> const measured =
        MeasureTransfer(CopiesOf(capture), {bounds.left - capture.frame.left, bounds.top - capture.frame.top,
                                            bounds.right - capture.frame.left, bounds.bottom - capture.frame.top});
    if (!measured)
        return false;
    capture.pipeline.transfer = *measured;
    capture.pipeline.whiteBackdrop = std::min(WhiteBackdropLevel(capture.pipeline), capture.pipeline.whiteBackdrop);
    return true;
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
