#include "capture/backdrop_screen_win32.h"

#include "capture/capture_bitmap_win32.h"
#include "capture/popups_win32.h"

#include <dwmapi.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

UINT const kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
BLENDFUNCTION const kBackdropBlend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
// A frame at 60 Hz: where nothing says when the compositor shows the next
// frame, the time it takes to.
DWORD const kFrameMs = 17;

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
// Through the topmost band where the plan says so: wine lifts a window's X
// window on top only when it comes to stand first. HWND_NOTOPMOST makes the
// windows it owns non-topmost too (SetWindowPos remarks), which is why the
// plan keeps the pair from a target with a topmost palette and from a
// topmost target, whose state it would strip for good.
void RaiseWithinItsBand(HWND window, TargetRaise raise)
{
    if (raise == TargetRaise::TopOfItsBand) {
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
        SetWindowPos(host, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly);
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

// Gives the host the frame's place and size and the pass's backdrop, painted
// from the memory DC, as its whole picture.
void PaintHost(HWND host, HDC hostDC, RECT frame, HDC memoryDC, SIZE size)
{
    POINT origin = {frame.left, frame.top};
    POINT source = {0, 0};
    BLENDFUNCTION blend = kBackdropBlend;
    UpdateLayeredWindow(host, hostDC, &origin, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
}

} // namespace

void PrepareBackdropHost(HWND host)
{
    HDC const screenDC = GetDC(nullptr);
    HDC const memoryDC = CreateCompatibleDC(screenDC);
    std::uint32_t* pixel = nullptr;
    HBITMAP const transparent = CreateCaptureBitmap(1, 1, &pixel, false, 0);
    HGDIOBJ const previous = SelectObject(memoryDC, transparent);
    PaintHost(host, screenDC, {0, 0, 1, 1}, memoryDC, {1, 1});
    SelectObject(memoryDC, previous);
    DeleteDC(memoryDC);
    DeleteObject(transparent);
    ReleaseDC(nullptr, screenDC);
    ParkBackdropHost(host);
}

void ParkBackdropHost(HWND host)
{
    // Off every monitor, at its size: the next capture of a window of the
    // same size moves the host and gives it its picture, and need not grow
    // a window and the compositor's picture of it anew (about 15 ms under
    // wine). Left of every monitor together, with room to spare, so that no
    // pixel of it is on the screen and no click reaches it.
    int const kRoomToSpare = 64;
    RECT place = {};
    GetWindowRect(host, &place);
    int const x = GetSystemMetrics(SM_XVIRTUALSCREEN) - (place.right - place.left) - kRoomToSpare;
    int const y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    // At the bottom: placed behind a topmost target, the host became topmost
    // itself, and only HWND_BOTTOM takes that from it without lifting it
    // anywhere (under wine, a window made first is restacked on top of X).
    SetWindowPos(host, HWND_BOTTOM, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool BackdropScreen::MakeBuffers(CaptureRect frame, PixelBuffer& black, PixelBuffer& white)
{
    Release();
    m_frame = {frame.left, frame.top, frame.right, frame.bottom};
    PixelBuffer* const buffers[] = {&black, &white};
    for (int pass = 0; pass < 2; ++pass) {
        *buffers[pass] = {nullptr, frame.right - frame.left, frame.bottom - frame.top};
        m_bitmaps[pass] = CreateCaptureBitmap(buffers[pass]->width, buffers[pass]->height, &buffers[pass]->pixels,
                                              false, 0);
    }
    m_screenDC = GetDC(nullptr);
    m_hostDC = GetDC(m_host);
    for (int pass = 0; pass < 2; ++pass) {
        m_dcs[pass] = CreateCompatibleDC(m_hostDC);
        if (m_dcs[pass] && m_bitmaps[pass])
            SelectObject(m_dcs[pass], m_bitmaps[pass]);
    }
    return m_bitmaps[0] && m_bitmaps[1] && m_screenDC && m_hostDC && m_dcs[0] && m_dcs[1];
}

// Wine shows a window that was hidden on top of every other, and the target
// is put back above it only when nothing stands above the target: a target
// with a popup open above it would stay under its backdrop. Such a target
// finds the host parked below it, shown since before the user raised the
// target, and leaves it parked; any other finds it hidden and leaves it
// hidden, so that it comes up over every window that lies below the target,
// wherever wine stacks them. Windows stacks by the z-order alone, hidden or
// parked.
TargetStanding BackdropScreen::ShowBackdrop(Backdrop pass)
{
    HDC const memoryDC = m_dcs[pass == Backdrop::Black ? 0 : 1];
    if (!m_popupsOpen)
        ShowWindow(m_host, SW_HIDE);
    SetForegroundWindow(m_target);
    RaiseWithinItsBand(m_target, Plan().raise);
    ShowHostBehindTarget(memoryDC, {m_frame.right - m_frame.left, m_frame.bottom - m_frame.top});
    return Standing();
}

void BackdropScreen::CopyScreen(Backdrop pass, CopyTiming timing)
{
    if (timing == CopyTiming::AfterAFrame)
        WaitForTheCompositor();
    BitBlt(m_dcs[pass == Backdrop::Black ? 0 : 1], 0, 0, m_frame.right - m_frame.left, m_frame.bottom - m_frame.top,
           m_screenDC, m_frame.left, m_frame.top, Plan().copyLayered ? SRCCOPY | CAPTUREBLT : SRCCOPY);
    GdiFlush(); // the copy must reach the pixels before they are read directly
}

void BackdropScreen::HideBackdrop()
{
    if (m_popupsOpen)
        ParkBackdropHost(m_host);
    else
        HideHost(m_host);
}

void BackdropScreen::Release()
{
    for (HDC& dc : m_dcs) {
        if (dc)
            DeleteDC(dc);
        dc = nullptr;
    }
    for (int pass = 1; pass >= 0; --pass) {
        if (m_bitmaps[pass])
            DeleteObject(m_bitmaps[pass]);
        m_bitmaps[pass] = nullptr;
    }
    if (m_hostDC)
        ReleaseDC(m_host, m_hostDC);
    if (m_screenDC)
        ReleaseDC(nullptr, m_screenDC);
    m_hostDC = m_screenDC = nullptr;
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
// the same picture.
//
// Wine stacks its X windows apart from the z-order: it lifts a window's X
// window on top of every other only when the window comes to stand first,
// a window it shows keeps the X place it had, and a layered window's first
// picture makes its X window anew, on top. The raise of the target lifted
// it first; the host, placed behind it, stays under it; and the target is
// put back on top once more, which changes nothing on Windows and, on the
// test display, gives the compositor the moment it takes to show the
// backdrop: copied without it, about every second capture's first copy was
// a frame late and made again (9 and 12 copies in two runs of 20 captures,
// against none with it). A
// topmost target may already stand first, so that its raise lifted
// nothing: where nothing composes, the host is lifted directly above it
// for a moment (it leaves the topmost windows again once hidden, HideHost).
// On a Windows desktop that nothing composes (Windows 7 without Aero) that
// moment may make a topmost target repaint, which the check of the copies
// finds like any stale frame.
void BackdropScreen::ShowHostBehindTarget(HDC memoryDC, SIZE size) const
{
    bool const composes = SystemComposes();
    if (composes)
        PaintHost(m_host, m_hostDC, m_frame, memoryDC, size);
    SetWindowPos(m_host, m_target, 0, 0, 0, 0, kZOrderOnly | SWP_SHOWWINDOW);
    PaintHost(m_host, m_hostDC, m_frame, memoryDC, size);
    bool const topmost = IsTopmost(m_target);
    if (topmost && !composes) {
        HWND const above = GetWindow(m_target, GW_HWNDPREV);
        SetWindowPos(m_host, above ? above : HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly);
    }
    SetWindowPos(m_target, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, kZOrderOnly);
    if (composes)
        WaitForTheCompositor();
}

RaisePlan BackdropScreen::Plan() const
{
    return RaisePlanFor({SystemComposes(), IsTopmost(m_target), m_ownsTopmostWindow});
}

// Where the target stands now, from the z-order: an elevated window seen
// from an unelevated program, or one that filters its z-order changes, stays
// where it was.
TargetStanding BackdropScreen::Standing() const
{
    TargetStanding standing;
    if (m_target == nullptr)
        return standing;
    standing.keepsItsOwnPlace = KeepsItsOwnZOrder(m_target);
    standing.backdropDirectlyBehind = GetWindow(m_target, GW_HWNDNEXT) == m_host;
    if (!standing.keepsItsOwnPlace && standing.backdropDirectlyBehind)
        standing.inFront = WindowsInFrontOf(m_target, {m_frame.left, m_frame.top, m_frame.right, m_frame.bottom});
    return standing;
}
