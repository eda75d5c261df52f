#include "shell/capture_flow.h"

#include "capture/backdrop_screen_win32.h"
#include "capture/capture_trace.h"
#include "capture/cursor_overlay_win32.h"
#include "capture/display_affinity.h"
#include "capture/display_affinity_win32.h"
#include "capture/popups_win32.h"
#include "capture/screen_layout_win32.h"
#include "capture/shadow_margin.h"
#include "capture/target_answers_win32.h"
#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "shell/app_state.h"
#include "shell/capture_delivery.h"
#include "shell/capture_destination.h"
#include "shell/tray_balloon.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

namespace {

// What one capture takes from the process-wide record.
struct CaptureContext {
    Settings settings;
    wchar_t const* programFolder;
    UiLanguage language;
    std::int32_t shadowMargin; // the margin the last shadow needed, at 100 % scaling
    std::span<MonitorTransfer const> transfers;
    DisplayFacts const& displays;
    ULONGLONG notificationLeavesBy; // the last balloon may be leaving the screen until then (HideBalloon)
};

// What became of one capture, and what it learnt for the next.
struct CaptureDone {
    CaptureOutcome outcome = {};
    std::int32_t shadowMargin = kCaptureMargin; // at 100 % scaling
    HMONITOR monitor = nullptr;
    std::optional<ScreenTransfer> measured = {}; // on that monitor
};

CaptureRect RectOf(RECT const& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

std::optional<ScreenTransfer> TransferOf(HMONITOR monitor, std::span<MonitorTransfer const> transfers)
{
    auto const remembered = std::find_if(transfers.begin(), transfers.end(),
                                         [&](MonitorTransfer const& transfer) { return transfer.monitor == monitor; });
    if (remembered == transfers.end())
        return std::nullopt;
    return remembered->transfer;
}

void RememberTransfer(HMONITOR monitor, ScreenTransfer const& transfer)
{
    MonitorTransfer* slot = std::find_if(std::begin(g_app.transfers), std::end(g_app.transfers) - 1,
                                         [&](MonitorTransfer const& remembered) {
                                             return remembered.monitor == monitor || remembered.monitor == nullptr;
                                         });
    *slot = {monitor, transfer};
}

// What is known of `monitor`: what the system said of the displays, or,
// for a monitor it did not name, what it says now.
MonitorFacts FactsOf(HMONITOR monitor, DisplayFacts const& displays)
{
    auto const known = std::find_if(displays.monitors.begin(), displays.monitors.end(),
                                    [&](MonitorFacts const& facts) { return facts.handle == monitor; });
    if (known != displays.monitors.end())
        return *known;
    MONITORINFO info = {sizeof(info), {}, {}, 0};
    GetMonitorInfoW(monitor, &info);
    return FactsOfMonitor(monitor, RectOf(info.rcMonitor));
}

// What the capture of `target` is to copy, on its `monitor`, with `popups`
// the windows in front of it that may be its popups. The window may lie on
// any monitor; without one the rectangle stays empty, and the capture is the
// corner of the primary monitor just inside the margin.
CaptureRequest RequestFor(HWND target, HMONITOR monitor, std::vector<WindowRecord> const& popups,
                          CaptureContext const& context)
{
    CaptureRequest request;
    request.screen = context.displays.layout;
    RECT windowRect = {};
    request.bounds = GetWindowRect(target, &windowRect) ? request.screen.bounds : request.screen.primary;
    request.window = RectOf(windowRect);
    // What the user sees of the target: its window with the menus, tooltips
    // and drop-down lists it has open, which may reach far past it.
    request.shown = WithPopups(request.window, popups);
    request.dpi = DpiOf(target);
    request.margin = MarginAtDpi(context.shadowMargin, request.dpi);
    MonitorFacts const facts = FactsOf(monitor, context.displays);
    request.monitor = facts.rect;
    request.colourMode = facts.colourMode;
    request.sdrWhiteNits = facts.sdrWhiteNits;
    request.transfer = TransferOf(monitor, context.transfers);
    return request;
}

// The matted frame finished as the options ask: the pointer drawn on the
// whole frame, then the tag ring cut away, then the crop, which shrinks the
// image's own width and height that every later step uses, and the
// checkerboard.
PixelBuffer FinishImage(CaptureResult& result, BackdropScreen const& screen, Settings const& settings)
{
    if (settings.includeCursor) {
        RECT const rect = {result.rect.left, result.rect.top, result.rect.right, result.rect.bottom};
        DrawCursorOverlay(screen.ImageDC(), rect, result.frame.left, result.frame.top);
    }
    DropTagRing(result);
    PixelBuffer& image = result.image;
    if (settings.autoCrop)
        AutoCrop(image.pixels, image.width, image.height);
    if (settings.checkerboard)
        CompositeOnCheckerboard(image.pixels, image.width, image.height);
    NoteCaptureStep(CaptureStep::ImageFinished);
    return image;
}

// Why the window in front is not to be captured at all, where it is not: it
// is the host itself, which is in front after the tray menu until the user
// clicks elsewhere and would come out a transparent square (nothing is said
// then); it does not answer; or it does not allow capture.
std::optional<CaptureStatus> RefusalOf(HWND host, HWND target)
{
    if (target == host)
        return CaptureStatus::NoTarget;
    if (!TargetAnswers(target))
        return CaptureStatus::NotAnswering;
    if (!AffinityAllowsCapture(DisplayAffinityOf(target)))
        return CaptureStatus::Forbidden;
    return std::nullopt;
}

// The capture of `target`, finished and delivered, or why there is none.
CaptureDone CaptureWindow(HWND host, HWND target, CaptureContext const& context)
{
    CaptureDone done = {.shadowMargin = context.shadowMargin};
    if (std::optional<CaptureStatus> const refusal = RefusalOf(host, target)) {
        done.outcome.status = *refusal;
        return done;
    }
    NoteCaptureStep(CaptureStep::TargetAsked);
    SetForegroundWindow(target);
    done.monitor = MonitorFromWindow(target, MONITOR_DEFAULTTONEAREST);
    std::vector<WindowRecord> const popups = PopupCandidatesOf(target);
    CaptureRequest const request = RequestFor(target, done.monitor, popups, context);
    WaitForNotificationToLeave(target, CaptureRectAround(request.shown, request.bounds, request.margin),
                               context.notificationLeavesBy);
    NoteCaptureStep(CaptureStep::RequestMade);
    BackdropScreen screen(host, target, HasPopupsOpen(popups), OwnsTopmostWindow(popups));
    CaptureResult result = CaptureOverBackdrops(request, screen);
    done.measured = result.measured;
    done.outcome = {.status = result.status, .transferUnknown = result.transferUnknown};
    if (result.status != CaptureStatus::Matted)
        return done;
    done.shadowMargin = MarginToRemember(result.shadowMargin, request.dpi);
    PixelBuffer const image = FinishImage(result, screen, context.settings);
    done.outcome = DeliverCapture(host, target, image.pixels, image.width, image.height, context.settings,
                                  CaptureDestinationFor(context.settings, context.programFolder, context.language));
    // Where the monitor composes in linear light (HDR) and no staircase has
    // yet been read there, the capture went by a guess; the balloon says so.
    done.outcome.transferUnknown = result.transferUnknown;
    return done;
}

// Holds the capture-busy guard for one capture and lets it go on every way
// out, whatever became of the Save dialog: a guard left set would make every
// later hot key do nothing.
class CaptureBusyGuard {
public:
    explicit CaptureBusyGuard(LONG& busy) : m_busy(busy) { m_busy = 1; }
    ~CaptureBusyGuard() { m_busy = 0; }
    CaptureBusyGuard(CaptureBusyGuard const&) = delete;
    CaptureBusyGuard& operator=(CaptureBusyGuard const&) = delete;

private:
    LONG& m_busy;
};

} // namespace

void CaptureForegroundWindow(HWND host)
{
    // Tested and set before anything that could dispatch a message: a hot key
    // that arrives inside the Save dialog's loop must find the guard set.
    if (g_app.captureBusy != 0)
        return;
    CaptureBusyGuard const busy(g_app.captureBusy);
    NoteCaptureStep(CaptureStep::Begun);
    g_app.lastSaved[0] = L'\0';
    ULONGLONG const notificationLeavesBy = HideBalloon(host);
    NoteCaptureStep(CaptureStep::BalloonHidden);
    if (!g_app.displays)
        g_app.displays = CurrentDisplayFacts();
    CaptureDone const done =
        CaptureWindow(host, CaptureTargetFor(GetForegroundWindow(), g_app.displays->layout.bounds),
                      {g_app.settings, g_app.programFolder, g_app.language, g_app.shadowMargin, g_app.transfers,
                       *g_app.displays, notificationLeavesBy});
    NoteCaptureStep(CaptureStep::Released);
    g_app.shadowMargin = done.shadowMargin;
    if (done.measured)
        RememberTransfer(done.monitor, *done.measured);
    lstrcpynW(g_app.lastSaved, done.outcome.savedFile.c_str(), MAX_PATH);
    ParkBackdropHost(host);
    NoteCaptureStep(CaptureStep::HostParked);
    ShowBalloon(host, BalloonText(done.outcome, g_app.language).c_str());
    NoteCaptureStep(CaptureStep::BalloonShown);
}
