#include "capture/capture_policy.h"

#include "capture/capture_trace.h"
#include "capture/shadow_margin.h"
#include "imaging/auto_crop.h"

#include <algorithm>
#include <vector>

namespace {

// Copies of a stale frame are made again at most this often in all: under
// load the compositor was seen a frame behind, never several in a row.
int const kCopyAttempts = 5;

int IndexOf(Backdrop pass)
{
    return pass == Backdrop::Black ? 0 : 1;
}

// One frame's copies, and what the passes that made them found.
struct FrameCopies {
    CaptureRect frame = {0, 0, 0, 0};   // on the screen
    CaptureRect rect = {0, 0, 0, 0};    // the capture rectangle, on the screen
    CaptureRect inner = {0, 0, 0, 0};   // the capture rectangle, as every rectangle below, in the frame
    CaptureRect window = {0, 0, 0, 0};  // the target's own window
    CaptureRect shown = {0, 0, 0, 0};   // the target with its popups
    CaptureRect monitor = {0, 0, 0, 0}; // the target's monitor
    std::vector<CaptureRect> monitors;
    PixelBuffer buffers[2] = {{nullptr, 0, 0}, {nullptr, 0, 0}}; // black, white
    std::vector<CaptureRect> unseenBy[2]; // what the backdrop could not show at each pass's last copy
    std::vector<CaptureRect> unseen;      // by either
    StaleCopies unsettled = {false, false}; // passes whose copies, without a ring, did not agree a frame apart
};

// The capture of one request, over however many frames it takes.
class BackdropCapture {
public:
    BackdropCapture(CaptureRequest const& request, CaptureScreen& screen)
        : m_request(request), m_screen(screen)
    {
        m_pipeline.linearLight = ComposesInLinearLight(request.colourMode);
        if (m_pipeline.linearLight && request.transfer)
            m_pipeline.transfer = *request.transfer;
        else if (request.colourMode == ColourMode::Hdr)
            m_pipeline.transfer = TransferAtWhiteLevel(request.sdrWhiteNits);
        m_pipeline.whiteBackdrop = WhiteBackdropLevel(m_pipeline);
    }

    // The copies over both backdrops of the rectangle that `margin` gives,
    // checked, made again while stale, and matted.
    CaptureStatus CopyAndMatte(std::int32_t margin)
    {
        CaptureRect const rect = CaptureRectAround(m_request.shown, m_request.bounds, margin);
        if (!HasPixels(rect))
            return CaptureStatus::NotOnScreen;
        m_copies = FrameAround(rect);
        if (!m_screen.MakeBuffers(m_copies.frame, m_copies.buffers[0], m_copies.buffers[1]))
            return CaptureStatus::CopyFailed;
        NoteCaptureStep(CaptureStep::BuffersMade);
        StaleCopies stale = kBothCopiesStale;
        for (int attempt = 1; stale.Any() && attempt <= kCopyAttempts; ++attempt) {
            CopyTiming const timing = attempt == 1 ? CopyTiming::AtOnce : CopyTiming::AfterAFrame;
            for (Backdrop const pass : {Backdrop::Black, Backdrop::White}) {
                if ((pass == Backdrop::Black ? stale.black : stale.white) && !CopyPass(pass, timing))
                    return CaptureStatus::NotInFront;
            }
            stale = Check();
        }
        NoteCaptureStep(CaptureStep::CopiesChecked);
        if (stale.Any())
            return CaptureStatus::KeptChanging;
        PixelBuffer const& black = m_copies.buffers[0];
        PixelBuffer const& white = m_copies.buffers[1];
        SdrCurve const told = MatteCopies(
            black.pixels, white.pixels, static_cast<std::int32_t>(PixelCount(white.width, white.height)), m_pipeline);
        if (told != SdrCurve::Between) {
            m_pipeline.transfer.curve = told;
            if (m_measured)
                m_measured->curve = told;
        }
        ClearPixelsOffMonitors(white.pixels, white.width, white.height, m_copies.monitors);
        NoteCaptureStep(CaptureStep::Matted);
        return CaptureStatus::Matted;
    }

    // How far the matted shadow reaches out of what the user sees of the
    // target.
    ShadowReach Shadow() const
    {
        PixelBuffer const& image = m_copies.buffers[1];
        return MeasureShadowReach(
            {image.pixels, image.width, image.height, m_copies.inner, m_copies.shown, m_copies.unseen});
    }

    CaptureResult Result(CaptureStatus status, std::int32_t widest) const
    {
        CaptureResult result = {.status = status, .measured = m_measured};
        result.transferUnknown = m_request.colourMode == ColourMode::Hdr && !m_request.transfer && !m_measured;
        if (status != CaptureStatus::Matted)
            return result;
        result.image = m_copies.buffers[1];
        result.frame = m_copies.frame;
        result.rect = m_copies.rect;
        result.shadowMargin = MarginForShadow(Shadow(), widest);
        return result;
    }

private:
    FrameCopies FrameAround(CaptureRect rect) const
    {
        FrameCopies copies;
        copies.rect = rect;
        copies.frame = TagFrameAround(rect, m_request.screen.bounds);
        copies.inner = InFrame(rect, copies.frame);
        copies.window = InFrame(m_request.window, copies.frame);
        copies.shown = InFrame(m_request.shown, copies.frame);
        copies.monitor = InFrame(m_request.monitor, copies.frame);
        copies.monitors = InFrame(m_request.screen.monitors, copies.frame);
        return copies;
    }

    BackdropCopies Copies() const
    {
        return {m_copies.buffers[0].pixels, m_copies.buffers[1].pixels, m_copies.frame.right - m_copies.frame.left,
                m_copies.frame.bottom - m_copies.frame.top, m_copies.inner, m_copies.unseen, m_copies.monitors,
                m_copies.window, WhiteShown(m_pipeline)};
    }

    // One copy of the frame over the backdrop of `pass`, painted into the
    // pass's buffer, where the copy lands too. False, with nothing copied,
    // when the target did not come to stand directly above the backdrop:
    // its copy would show the backdrop alone.
    bool CopyPass(Backdrop pass, CopyTiming timing)
    {
        PixelBuffer const& buffer = m_copies.buffers[IndexOf(pass)];
        PaintBackdrop(buffer.pixels, buffer.width, buffer.height, m_copies.inner, pass, m_pipeline.whiteBackdrop);
        std::optional<std::vector<CaptureRect>> const unseen = UnseenParts(m_screen.ShowBackdrop(pass), m_copies.frame);
        NoteCaptureStep(CaptureStep::BackdropShown);
        if (!unseen) {
            m_screen.HideBackdrop();
            return false;
        }
        m_copies.unseenBy[IndexOf(pass)] = InFrame(*unseen, m_copies.frame);
        m_copies.unseen = m_copies.unseenBy[0];
        m_copies.unseen.insert(m_copies.unseen.end(), m_copies.unseenBy[1].begin(), m_copies.unseenBy[1].end());
        bool settled = true;
        if (TagRingInView(Copies()))
            m_screen.CopyScreen(pass, timing);
        else
            settled = CopySettles(pass);
        (pass == Backdrop::Black ? m_copies.unsettled.black : m_copies.unsettled.white) = !settled;
        m_screen.HideBackdrop();
        bool const again = timing == CopyTiming::AfterAFrame;
        NoteCaptureStep(pass == Backdrop::Black ? (again ? CaptureStep::BlackCopiedAgain : CaptureStep::BlackCopied)
                                                : (again ? CaptureStep::WhiteCopiedAgain : CaptureStep::WhiteCopied));
        return true;
    }

    // A frame without a ring in view is copied once the compositor has had
    // a frame, and once more a frame later: the two must agree, or the
    // compositor was still on its way. The pair's rules alone cannot tell a
    // translucent window over the desktop from one over the backdrop.
    bool CopySettles(Backdrop pass)
    {
        PixelBuffer const& buffer = m_copies.buffers[IndexOf(pass)];
        std::int64_t const count = PixelCount(buffer.width, buffer.height);
        m_screen.CopyScreen(pass, CopyTiming::AfterAFrame);
        std::uint64_t const first = PixelChecksum(buffer.pixels, count);
        m_screen.CopyScreen(pass, CopyTiming::AfterAFrame);
        return PixelChecksum(buffer.pixels, count) == first;
    }

    // Which copies are stale. Current copies on a monitor in linear light
    // read the staircase; a white backdrop that the screen turns out to clip
    // is painted lower, and the white copy counts as stale.
    StaleCopies Check()
    {
        StaleCopies stale = FindStaleCopies(Copies());
        stale.black = stale.black || m_copies.unsettled.black;
        stale.white = stale.white || m_copies.unsettled.white;
        if (stale.Any() || !m_pipeline.linearLight)
            return stale;
        std::optional<ScreenTransfer> const reading = MeasureTransfer(Copies(), m_copies.monitor);
        if (!reading)
            return stale;
        SdrCurve const known = m_pipeline.transfer.curve;
        m_pipeline.transfer = *reading;
        m_pipeline.transfer.curve = known;
        m_measured = m_pipeline.transfer;
        std::uint8_t const white = std::min(WhiteBackdropLevel(m_pipeline), m_pipeline.whiteBackdrop);
        stale.white = white != m_pipeline.whiteBackdrop;
        m_pipeline.whiteBackdrop = white;
        return stale;
    }

    CaptureRequest const& m_request;
    CaptureScreen& m_screen;
    ColourPipeline m_pipeline;
    std::optional<ScreenTransfer> m_measured;
    FrameCopies m_copies;
};

} // namespace

CaptureResult CaptureOverBackdrops(CaptureRequest const& request, CaptureScreen& screen)
{
    BackdropCapture capture(request, screen);
    std::int32_t const widest = WidestMargin(request.dpi);
    CaptureStatus status = capture.CopyAndMatte(request.margin);
    if (status == CaptureStatus::Matted && request.margin < widest && ShadowIsCut(capture.Shadow(), request.margin))
        status = capture.CopyAndMatte(widest);
    return capture.Result(status, widest);
}

void DropTagRing(CaptureResult& result)
{
    CaptureRect const inner = InFrame(result.rect, result.frame);
    CropToBox(result.image.pixels, result.image.width, result.image.height, inner.left, inner.top,
              inner.right - inner.left, inner.bottom - inner.top);
}
