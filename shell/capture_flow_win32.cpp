#include "shell/capture_flow.h"

#include "capture/backdrop_capture.h"
#include "capture/capture_rect.h"
#include "capture/cursor_overlay.h"
#include "capture/target_answers.h"
#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "imaging/matting.h"
#include "output/save_capture.h"
#include "shell/app_state.h"

void CaptureForegroundWindow(HWND host)
{
    // Tested and set before anything that could dispatch a message: a hot key
    // that arrives inside the Save dialog's loop must find the guard set.
    if (g_app.captureBusy != 0)
        return;
    g_app.captureBusy = 1;

    // The host is in front after the tray menu until the user clicks
    // elsewhere; a capture of it would be a transparent square. With no
    // foreground window at all the rectangle stays empty, and the capture is
    // the corner of the screen just inside the margin.
    HWND const target = GetForegroundWindow();
    BackdropCapture capture = {};
    if (target != host && TargetAnswers(target)) {
        SetForegroundWindow(target);
        RECT windowRect = {};
        GetWindowRect(target, &windowRect);
        CaptureRect const rect = CaptureRectAround({windowRect.left, windowRect.top, windowRect.right, windowRect.bottom},
                                                   GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

        if (PrepareBackdropCapture(host, target, rect, capture) && CopyOverBothBackdrops(capture)) {
            // The crop shrinks the image's own width and height, which every
            // later step uses.
            PixelBuffer& image = capture.white;
            RecoverAlpha(capture.black.pixels, image.pixels, static_cast<std::int32_t>(PixelCount(image.width, image.height)));
            Settings const& settings = g_app.settings;
            if (settings.includeCursor)
                DrawCursorOverlay(capture.whiteDC, capture.rect, capture.rect.left, capture.rect.top);
            if (settings.autoCrop)
                AutoCrop(image.pixels, image.width, image.height);
            if (settings.checkerboard)
                CompositeOnCheckerboard(image.pixels, image.width, image.height);
            SaveCapture(host, target, image.pixels, image.width, image.height);
        }
    }
    ReleaseBackdropCapture(capture);
    g_app.captureBusy = 0;
}

void SaveCapture(HWND ownerWindow, HWND targetWindow, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height)
{
    SaveCaptureFile(g_app.settings.saveMode != Automatic ? Manual : Automatic,
                    g_app.programFolder, ownerWindow, targetWindow, pixels, width, height);
}
