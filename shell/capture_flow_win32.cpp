#include "shell/capture_flow.h"

#include "capture/backdrop_capture.h"
#include "capture/capture_rect.h"
#include "capture/cursor_overlay.h"
#include "capture/screen_layout_win32.h"
#include "capture/shadow_margin.h"
#include "capture/target_answers.h"
#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "imaging/matting.h"
#include "output/save_capture.h"
#include "shell/app_state.h"

namespace {

// Copies of a stale frame are made again at most this often in all: under
// load the compositor was seen a frame behind, never several in a row.
int const kCopyAttempts = 5;

// The two copies of `rect` over the black and the white backdrop, matted to
// real alpha in the white buffer; what lies on no monitor is transparent.
// False when there is nothing to save.
bool CopyAndMatte(HWND host, HWND target, CaptureRect rect, ScreenLayout const& screen, BackdropCapture& capture)
{
    // A copy can show a frame the compositor has not yet brought up to date.
    // Each is checked, and a stale one is made again, this time once the
    // compositor has had a frame, a few times at most; copies that stay stale
    // are not saved: a lost capture is better than a wrong one.
    bool copying = PrepareBackdropCapture(host, target, rect, screen, capture);
    StaleCopies stale = kBothCopiesStale;
    for (int attempt = 1; copying && stale.Any() && attempt <= kCopyAttempts; ++attempt) {
        copying = CopyOverBackdrops(capture, stale, attempt == 1 ? CopyTiming::AtOnce : CopyTiming::AfterAFrame);
        stale = StaleCopiesOf(capture);
    }
    if (!copying || stale.Any())
        return false;
    PixelBuffer& image = capture.white;
    RecoverAlpha(capture.black.pixels, image.pixels, static_cast<std::int32_t>(PixelCount(image.width, image.height)));
    ClearPixelsOffMonitors(image.pixels, image.width, image.height, capture.monitors);
    return true;
}

} // namespace

void CaptureForegroundWindow(HWND host)
{
    // Tested and set before anything that could dispatch a message: a hot key
    // that arrives inside the Save dialog's loop must find the guard set.
    if (g_app.captureBusy != 0)
        return;
    g_app.captureBusy = 1;

    // The host is in front after the tray menu until the user clicks
    // elsewhere; a capture of it would be a transparent square.
    HWND const target = GetForegroundWindow();
    BackdropCapture capture = {};
    if (target != host && TargetAnswers(target)) {
        SetForegroundWindow(target);
        // The window may lie on any monitor. Without one the rectangle stays
        // empty, and the capture is the corner of the primary monitor just
        // inside the margin.
        ScreenLayout const screen = CurrentScreenLayout();
        RECT windowRect = {};
        CaptureRect const bounds = GetWindowRect(target, &windowRect) ? screen.bounds : screen.primary;
        CaptureRect const window = {windowRect.left, windowRect.top, windowRect.right, windowRect.bottom};

        // The margin is the one the last capture's shadow needed, at this
        // monitor's scale. A shadow cut at it is copied once more, with the
        // widest margin.
        UINT const dpi = DpiOf(target);
        std::int32_t margin = MarginAtDpi(g_app.shadowMargin, dpi);
        bool matted = CopyAndMatte(host, target, CaptureRectAround(window, bounds, margin), screen, capture);
        std::int32_t const widest = WidestMargin(dpi);
        if (matted && margin < widest && ShadowIsCut(MeasureShadowReach(ShadowOf(capture, window)), margin)) {
            ReleaseBackdropCapture(capture);
            margin = widest;
            matted = CopyAndMatte(host, target, CaptureRectAround(window, bounds, margin), screen, capture);
        }

        if (matted) {
            std::int32_t const needed = MarginForShadow(MeasureShadowReach(ShadowOf(capture, window)), widest);
            g_app.shadowMargin = MarginToRemember(needed, dpi);
            // The pointer is drawn on the whole frame; the tag ring goes
            // before the crop, which shrinks the image's own width and
            // height, which every later step uses.
            PixelBuffer& image = capture.white;
            Settings const& settings = g_app.settings;
            if (settings.includeCursor)
                DrawCursorOverlay(capture.whiteDC, capture.rect, capture.frame.left, capture.frame.top);
            DropTagRing(capture);
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
