#include "capture/window_capture.h"

#include "capture/capture_bitmap.h"
#include "capture/capture_rect.h"
#include "capture/cursor_overlay.h"
#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "imaging/matting.h"
#include "imaging/pixel_buffer.h"
#include "output/save_capture.h"
#include "shell/app_state.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

std::uint32_t const kOpaqueBlack = 0xFF000000u;
std::uint32_t const kOpaqueWhite = 0xFFFFFFFFu;
DWORD const kScreenCopy = SRCCOPY | CAPTUREBLT; // CAPTUREBLT: include layered windows, the backdrop among them
UINT const kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE;
BLENDFUNCTION const kBackdropBlend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

// Where a capture happens and with what.
struct CaptureContext {
    HWND host;
    HWND target;
    POINT origin;
    SIZE size;
    HDC screenDC;
    HDC hostDC;
};

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
// target as a layered backdrop painted from `bitmap`; the copy lands in that
// same bitmap. The host is raised first and the target after it, so that the
// target ends up directly above the backdrop. The host is shown and raised
// without activation: taking it from the target would close the target's
// menus and tooltips and repaint its caption between the two copies. Nothing
// may come between the z-order calls and the copy: a message handled there
// could repaint or move the windows. False, with nothing copied, when the
// target did not come to stand above the backdrop.
bool CopyOverBackdrop(CaptureContext const& capture, HDC memoryDC, HBITMAP bitmap)
{
    SelectObject(memoryDC, bitmap);
    ShowWindow(capture.host, SW_SHOWNA);
    POINT origin = capture.origin;
    SIZE size = capture.size;
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

// Matting, the optional steps in their fixed order, and the save. The crop
// shrinks the image's own width and height, which every later step uses.
void ProcessAndSave(CaptureContext const& capture, std::uint32_t const* blackPixels, HDC whiteDC, PixelBuffer image, RECT captureRect)
{
    GdiFlush(); // both screen copies must reach the pixels before they are read directly
    RecoverAlpha(blackPixels, image.pixels, static_cast<std::int32_t>(PixelCount(image.width, image.height)));

    Settings const& settings = g_app.settings;
    if (settings.includeCursor) {
        DrawCursorOverlay(whiteDC, captureRect, capture.origin.x, capture.origin.y);
        GdiFlush();
    }
    if (settings.autoCrop)
        AutoCrop(image.pixels, image.width, image.height);
    if (settings.checkerboard)
        CompositeOnCheckerboard(image.pixels, image.width, image.height);

    SaveCapture(capture.host, capture.target, image.pixels, image.width, image.height);
}

// Everything a capture makes lives inside this call and is released in the
// program's order: memory DCs, then the bitmaps they held, then the window and
// screen DCs. When one of them cannot be made nothing is copied or saved, and
// no pixel memory that does not exist is touched.
void CaptureRectangle(HWND host, HWND target, CaptureRect rect)
{
    CaptureContext capture = {};
    capture.host = host;
    capture.target = target;
    capture.origin = {rect.left, rect.top};
    capture.size = {rect.right - rect.left, rect.bottom - rect.top};
    std::int32_t const width = capture.size.cx;
    std::int32_t const height = capture.size.cy;

    std::uint32_t* blackPixels = nullptr;
    std::uint32_t* whitePixels = nullptr;
    HBITMAP blackBitmap = CreateCaptureBitmap(width, height, &blackPixels, true, kOpaqueBlack);
    HBITMAP whiteBitmap = CreateCaptureBitmap(width, height, &whitePixels, true, kOpaqueWhite);

    capture.screenDC = GetDC(nullptr);
    capture.hostDC = GetDC(host);
    HDC blackDC = CreateCompatibleDC(capture.hostDC);
    HDC whiteDC = CreateCompatibleDC(capture.hostDC);

    if (blackBitmap && whiteBitmap && capture.screenDC && capture.hostDC && blackDC && whiteDC) {
        if (CopyOverBackdrop(capture, blackDC, blackBitmap) && CopyOverBackdrop(capture, whiteDC, whiteBitmap)) {
            RECT const captureRect = {rect.left, rect.top, rect.right, rect.bottom};
            ProcessAndSave(capture, blackPixels, whiteDC, PixelBuffer{whitePixels, width, height}, captureRect);
        }
    }

    if (blackDC)
        DeleteDC(blackDC);
    if (whiteDC)
        DeleteDC(whiteDC);
    if (whiteBitmap)
        DeleteObject(whiteBitmap);
    if (blackBitmap)
        DeleteObject(blackBitmap);
    if (capture.hostDC)
        ReleaseDC(host, capture.hostDC);
    if (capture.screenDC)
        ReleaseDC(nullptr, capture.screenDC);
}

} // namespace

void CaptureForegroundWindow(HWND host)
{
    // Tested and set before anything that could dispatch a message: a hot key
    // that arrives inside the Save dialog's loop must find the guard set.
    if (g_app.captureBusy)
        return;
    g_app.captureBusy = 1;

    // The host is never a target: it is the foreground window after the tray
    // menu, until the user clicks elsewhere, and a capture of it is a
    // transparent square.
    HWND target = GetForegroundWindow();
    if (target == host) {
        g_app.captureBusy = 0;
        return;
    }
    SetForegroundWindow(target);

    // With no target the rectangle stays empty and the capture is the corner
    // of the screen just inside the margin.
    RECT windowRect = {};
    GetWindowRect(target, &windowRect);
    CaptureRect const rect = CaptureRectAround({windowRect.left, windowRect.top, windowRect.right, windowRect.bottom},
                                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    if (HasPixels(rect))
        CaptureRectangle(host, target, rect);

    g_app.captureBusy = 0;
}
