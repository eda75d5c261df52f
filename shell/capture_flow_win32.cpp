#include "shell/capture_flow.h"

#include "base/system_message_win32.h"
#include "capture/advanced_color_win32.h"
#include "capture/backdrop_capture_win32.h"
#include "capture/capture_rect.h"
#include "capture/cursor_overlay_win32.h"
#include "capture/popups_win32.h"
#include "capture/screen_layout_win32.h"
#include "capture/screen_transfer.h"
#include "capture/shadow_margin.h"
#include "capture/target_answers_win32.h"
#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "output/clipboard_win32.h"
#include "png/png_writer.h"
#include "output/save_capture_win32.h"
#include "shell/app_state.h"
#include "shell/capture_destination.h"
#include "shell/tray_balloon.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Copies of a stale frame are made again at most this often in all: under
// load the compositor was seen a frame behind, never several in a row.
int const kCopyAttempts = 5;

// How the copies of a capture on `monitor` are matted: in linear light where
// it composes so, through what its last measurement found, and the identity
// until one did (`known` says which).
ColourPipeline PipelineOf(HMONITOR monitor, bool& known)
{
    ColourPipeline pipeline;
    pipeline.linearLight = MonitorUsesAdvancedColor(monitor);
    MonitorTransfer const* const remembered =
        std::find_if(std::begin(g_app.transfers), std::end(g_app.transfers),
                     [&](MonitorTransfer const& transfer) { return transfer.monitor == monitor; });
    bool const measuredBefore = remembered != std::end(g_app.transfers);
    known = !pipeline.linearLight || measuredBefore;
    if (pipeline.linearLight && measuredBefore)
        pipeline.transfer = remembered->transfer;
    pipeline.whiteBackdrop = WhiteBackdropLevel(pipeline);
    return pipeline;
}

void RememberTransfer(HMONITOR monitor, ScreenTransfer const& transfer)
{
    MonitorTransfer* slot = std::find_if(std::begin(g_app.transfers), std::end(g_app.transfers) - 1,
                                         [&](MonitorTransfer const& remembered) {
                                             return remembered.monitor == monitor || remembered.monitor == nullptr;
                                         });
    *slot = {monitor, transfer};
}

// The two copies of `rect` over the black and the white backdrop, matted to
// real alpha in the white buffer; what lies on no monitor is transparent.
// Any other status than Saved says why there is nothing to save. Where the
// target's `monitor` composes in linear light, the copies measure how it
// copies what is painted, and `pipeline` keeps what they found.
CaptureStatus CopyAndMatte(HWND host, HWND target, HMONITOR monitor, CaptureRect rect, ScreenLayout const& screen,
                           ColourPipeline& pipeline, bool& measured, BackdropCapture& capture)
{
    if (!PrepareBackdropCapture(host, target, rect, screen, pipeline, capture))
        return HasPixels(rect) ? CaptureStatus::CopyFailed : CaptureStatus::NotOnScreen;
    // A copy can show a frame the compositor has not yet brought up to date.
    // Each is checked, and a stale one is made again, this time once the
    // compositor has had a frame, a few times at most; copies that stay stale
    // are not saved: a lost capture is better than a wrong one. A white
    // backdrop that the screen turns out to clip is painted lower, and its
    // copy made again.
    StaleCopies stale = kBothCopiesStale;
    for (int attempt = 1; stale.Any() && attempt <= kCopyAttempts; ++attempt) {
        if (!CopyOverBackdrops(capture, stale, attempt == 1 ? CopyTiming::AtOnce : CopyTiming::AfterAFrame))
            return CaptureStatus::NotInFront;
        stale = StaleCopiesOf(capture);
        std::uint8_t const white = capture.pipeline.whiteBackdrop;
        if (!stale.Any() && MeasureScreenTransfer(capture, monitor)) {
            measured = true;
            stale.white = capture.pipeline.whiteBackdrop != white;
        }
    }
    pipeline = capture.pipeline;
    if (stale.Any())
        return CaptureStatus::KeptChanging;
    PixelBuffer& image = capture.white;
    MatteCopies(capture.black.pixels, image.pixels, static_cast<std::int32_t>(PixelCount(image.width, image.height)),
                capture.pipeline);
    ClearPixelsOffMonitors(image.pixels, image.width, image.height, capture.monitors);
    return CaptureStatus::Saved;
}

// The capture of `target`, finished and delivered, or why there is none.
CaptureOutcome CaptureWindow(HWND host, HWND target)
{
    // The host is in front after the tray menu until the user clicks
    // elsewhere; a capture of it would be a transparent square.
    if (target == host)
        return {};
    if (!TargetAnswers(target))
        return {.status = CaptureStatus::NotAnswering};
    SetForegroundWindow(target);
    // The window may lie on any monitor. Without one the rectangle stays
    // empty, and the capture is the corner of the primary monitor just
    // inside the margin.
    ScreenLayout const screen = CurrentScreenLayout();
    RECT windowRect = {};
    CaptureRect const bounds = GetWindowRect(target, &windowRect) ? screen.bounds : screen.primary;
    // What the user sees of the target: its window with the menus, tooltips
    // and drop-down lists it has open, which may reach far past it.
    CaptureRect const window =
        WithPopups({windowRect.left, windowRect.top, windowRect.right, windowRect.bottom}, WindowsInFrontOf(target));

    // The margin is the one the last capture's shadow needed, at this
    // monitor's scale. A shadow cut at it is copied once more, with the
    // widest margin.
    BackdropCapture capture = {};
    UINT const dpi = DpiOf(target);
    std::int32_t margin = MarginAtDpi(g_app.shadowMargin, dpi);
    HMONITOR const monitor = MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST);
    bool transferKnown = false;
    ColourPipeline pipeline = PipelineOf(monitor, transferKnown);
    bool measured = false;
    CaptureStatus status = CopyAndMatte(host, target, monitor, CaptureRectAround(window, bounds, margin), screen,
                                        pipeline, measured, capture);
    std::int32_t const widest = WidestMargin(dpi);
    if (status == CaptureStatus::Saved && margin < widest &&
        ShadowIsCut(MeasureShadowReach(ShadowOf(capture, window)), margin)) {
        ReleaseBackdropCapture(capture);
        margin = widest;
        status = CopyAndMatte(host, target, monitor, CaptureRectAround(window, bounds, margin), screen, pipeline,
                              measured, capture);
    }
    if (measured)
        RememberTransfer(monitor, pipeline.transfer);

    CaptureOutcome outcome = {.status = status};
    if (status == CaptureStatus::Saved) {
        std::int32_t const needed = MarginForShadow(MeasureShadowReach(ShadowOf(capture, window)), widest);
        g_app.shadowMargin = MarginToRemember(needed, dpi);
        // The pointer is drawn on the whole frame; the tag ring goes before
        // the crop, which shrinks the image's own width and height, which
        // every later step uses.
        PixelBuffer& image = capture.white;
        Settings const& settings = g_app.settings;
        if (settings.includeCursor)
            DrawCursorOverlay(capture.whiteDC, capture.rect, capture.frame.left, capture.frame.top);
        DropTagRing(capture);
        if (settings.autoCrop)
            AutoCrop(image.pixels, image.width, image.height);
        if (settings.checkerboard)
            CompositeOnCheckerboard(image.pixels, image.width, image.height);
        outcome = SaveCapture(host, target, image.pixels, image.width, image.height);
        // Where the monitor composes in linear light (HDR) and no staircase
        // has yet been read there, the capture went by a guess; the balloon
        // says so.
        outcome.transferUnknown = !transferKnown && !measured;
    }
    ReleaseBackdropCapture(capture);
    return outcome;
}

} // namespace

void CaptureForegroundWindow(HWND host)
{
    // Tested and set before anything that could dispatch a message: a hot key
    // that arrives inside the Save dialog's loop must find the guard set.
    if (g_app.captureBusy != 0)
        return;
    g_app.captureBusy = 1;
    g_app.lastSaved[0] = L'\0';
    HideBalloon(host);
    CaptureOutcome const outcome = CaptureWindow(host, GetForegroundWindow());
    ParkBackdropHost(host);
    ShowBalloon(host, BalloonText(outcome, g_app.language).c_str());
    g_app.captureBusy = 0;
}

CaptureOutcome SaveCapture(HWND ownerWindow, HWND targetWindow, const std::uint32_t* pixels, std::int32_t width,
                           std::int32_t height)
{
    CaptureOutcome outcome = {.status = CaptureStatus::SaveFailed};
    // One encode serves the file and the clipboard.
    std::vector<std::uint8_t> const png = EncodePng(pixels, width, height);
    if (png.empty()) {
        outcome.reason = SystemMessage(ERROR_NOT_ENOUGH_MEMORY);
        return outcome;
    }
    // Before the Save dialog: a capture whose dialog is cancelled still
    // reaches the user.
    if (g_app.settings.copyToClipboard)
        outcome.clipboard = CopyCaptureToClipboard(ownerWindow, png, pixels, width, height);

    CaptureDestination const destination = CaptureDestinationFor(g_app.settings, g_app.programFolder, g_app.language);
    SaveMode const mode = destination.mode;
    CaptureSave const save = SaveCaptureFile(destination, ownerWindow, targetWindow, png);
    outcome.fileName = save.file.filename().wstring();
    switch (save.result) {
    case CaptureSave::Saved:
        outcome.status = mode == Automatic ? CaptureStatus::Saved : CaptureStatus::SavedThroughDialog;
        // A click on the balloon that names the file shows it in its folder.
        if (mode == Automatic)
            lstrcpynW(g_app.lastSaved, save.file.c_str(), MAX_PATH);
        break;
    case CaptureSave::Cancelled:
        outcome.status = CaptureStatus::DialogCancelled;
        break;
    case CaptureSave::Failed:
        outcome.reason = SystemMessage(save.error);
        break;
    }
    return outcome;
}
