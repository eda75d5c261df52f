#include "capture/backdrop_capture.h"

#include "capture/capture_bitmap.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

std::uint32_t const kOpaqueBlack = 0xFF000000u;
std::uint32_t const kOpaqueWhite = 0xFFFFFFFFu;
DWORD const kScreenCopy = SRCCOPY | CAPTUREBLT; // CAPTUREBLT: include layered windows, the backdrop among them
UINT const kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE;
BLENDFUNCTION const kBackdropBlend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

PixelBuffer MakeBuffer(RECT rect, std::uint32_t fill, HBITMAP& bitmap)
{
    PixelBuffer buffer = {nullptr, rect.right - rect.left, rect.bottom - rect.top};
    bitmap = CreateCaptureBitmap(buffer.width, buffer.height, &buffer.pixels, true, fill);
    return buffer;
}

// Brings `window` to the top of the non-topmost windows: above every window
// like it, below every topmost one.
void RaiseToTopOfNonTopmost(HWND window, UINT extraFlags)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly | extraFlags);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly | extraFlags);
}

// The desktop and the taskbar keep their own place in the z-order whatever
// they are asked; they are captured as they stand, over whatever the backdrop
// then covers.
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

// Whether the raises left the backdrop directly behind the target. An
// elevated window seen from an unelevated program, or one that filters its
// z-order changes, stays where it was, under the backdrop: a copy then shows
// only the backdrop, and the capture would be an empty image passed off as a
// success.
bool BackdropIsDirectlyBehind(HWND target, HWND host)
{
    return target == nullptr || KeepsItsOwnZOrder(target) || GetWindow(target, GW_HWNDNEXT) == host;
}

// One copy of the screen rectangle with the host shown directly behind the
// target as a layered backdrop painted from the buffer; the copy lands in that
// same buffer. The host is raised first and the target after it, so that the
// target ends up directly above the backdrop. The host is shown and raised
// without activation: taking it from the target would close the target's
// menus and tooltips and repaint its caption between the two copies. Nothing
// may come between the z-order calls and the copy: a message handled there
// could repaint or move the windows.
bool CopyOverBackdrop(BackdropCapture const& capture, HDC memoryDC, HBITMAP bitmap)
{
    SelectObject(memoryDC, bitmap);
    ShowWindow(capture.host, SW_SHOWNA);
    POINT origin = {capture.rect.left, capture.rect.top};
    SIZE size = {capture.rect.right - capture.rect.left, capture.rect.bottom - capture.rect.top};
    POINT source = {0, 0};
    BLENDFUNCTION blend = kBackdropBlend;
    UpdateLayeredWindow(capture.host, capture.hostDC, &origin, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
    RaiseToTopOfNonTopmost(capture.host, SWP_NOACTIVATE);
    SetForegroundWindow(capture.target);
    RaiseToTopOfNonTopmost(capture.target, 0);
    bool const behind = BackdropIsDirectlyBehind(capture.target, capture.host);
    if (behind)
        BitBlt(memoryDC, 0, 0, size.cx, size.cy, capture.screenDC, origin.x, origin.y, kScreenCopy);
    ShowWindow(capture.host, SW_HIDE);
    return behind;
}

} // namespace

bool PrepareBackdropCapture(HWND host, HWND target, CaptureRect rect, BackdropCapture& capture)
{
    capture = {};
    capture.host = host;
    capture.target = target;
    capture.rect = {rect.left, rect.top, rect.right, rect.bottom};
    if (!HasPixels(rect))
        return false;
    capture.black = MakeBuffer(capture.rect, kOpaqueBlack, capture.blackBitmap);
    capture.white = MakeBuffer(capture.rect, kOpaqueWhite, capture.whiteBitmap);
    capture.screenDC = GetDC(nullptr);
    capture.hostDC = GetDC(host);
    capture.blackDC = CreateCompatibleDC(capture.hostDC);
    capture.whiteDC = CreateCompatibleDC(capture.hostDC);
    return capture.blackBitmap && capture.whiteBitmap && capture.screenDC && capture.hostDC && capture.blackDC &&
           capture.whiteDC;
}

bool CopyOverBothBackdrops(BackdropCapture& capture)
{
    bool const copied = CopyOverBackdrop(capture, capture.blackDC, capture.blackBitmap) &&
                        CopyOverBackdrop(capture, capture.whiteDC, capture.whiteBitmap);
    GdiFlush(); // both screen copies must reach the pixels before they are read directly
    return copied;
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
