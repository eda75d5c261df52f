#pragma once

#include "capture/capture_rect.h"
#include "capture/capture_status.h"
#include "capture/colour_mode.h"
#include "capture/copy_check.h"
#include "capture/screen_layout.h"
#include "capture/screen_transfer.h"
#include "capture/target_standing.h"
#include "imaging/pixel_buffer.h"

#include <cstdint>
#include <optional>

// One capture's decisions, in one place and in plain terms: which copies to
// make again and when, when to copy wider for a shadow, when to paint the
// white backdrop lower, and when to give up. The screen it works on is an
// interface: the Win32 side only shows the backdrop and makes the copies it
// is asked for, and a test plays a compositor that is late, tears its
// frames or clips white.

// What one capture is to copy, as the shell finds it.
struct CaptureRequest {
    CaptureRect window = {0, 0, 0, 0}; // the target's window rectangle on the screen; empty without a target
    CaptureRect shown = {0, 0, 0, 0};  // what the user sees of it: the window with the popups it has open
    CaptureRect bounds = {0, 0, 0, 0}; // where the capture rectangle may reach: every monitor together, or the
                                       // primary one where there is no window
    ScreenLayout screen;
    CaptureRect monitor = {0, 0, 0, 0};   // the target's own monitor
    std::uint32_t dpi = 96;               // that monitor's scale
    std::int32_t margin = kCaptureMargin; // the margin to start from, in that monitor's pixels
    ColourMode colourMode = ColourMode::Sdr; // how that monitor shows desktop content
    double sdrWhiteNits = 80;                // where it shows SDR white in HDR, as Windows reports
    std::optional<ScreenTransfer> transfer; // what its last reading of the staircase found
};

enum class CopyTiming {
    AtOnce,      // straight after the backdrop stands: nothing may come between
    AfterAFrame, // once the compositor has had the time to show a new frame
};

// What a capture needs of the screen, and no more.
class CaptureScreen {
public:
    virtual ~CaptureScreen() = default;

    // Makes a black and a white buffer of the size of `frame` (on the screen),
    // in place of any made before. False when they cannot be made.
    virtual bool MakeBuffers(CaptureRect frame, PixelBuffer& black, PixelBuffer& white) = 0;

    // Shows the backdrop that the pass's buffer holds over the frame,
    // directly behind the target, and says where the target then stands.
    virtual TargetStanding ShowBackdrop(Backdrop pass) = 0;

    // Copies the frame as the screen shows it into the pass's buffer.
    virtual void CopyScreen(Backdrop pass, CopyTiming timing) = 0;

    // Takes the backdrop away again.
    virtual void HideBackdrop() = 0;
};

// What became of a capture, and what it learnt of the screen for the next.
struct CaptureResult {
    CaptureStatus status = CaptureStatus::NoTarget; // Matted, or why there is nothing to deliver
    PixelBuffer image = {nullptr, 0, 0}; // the matted frame: the capture rectangle inside the tag ring
    CaptureRect frame = {0, 0, 0, 0};    // the frame on the screen
    CaptureRect rect = {0, 0, 0, 0};     // the capture rectangle on the screen
    std::int32_t shadowMargin = kCaptureMargin; // the margin this shadow needed, in the monitor's pixels
    std::optional<ScreenTransfer> measured;     // what the staircase showed, on a monitor in linear light,
                                                // with the curve the colours told
    bool transferUnknown = false; // matted by a guess at a boost: an HDR monitor's staircase was never read
};

// The capture that the request describes, over the backdrops `screen` shows:
//   - the rectangle is what the user sees of the target grown by the margin
//     and clamped to the bounds; one without pixels is NotOnScreen, and
//     buffers that cannot be made are CopyFailed;
//   - each copy is checked for its own pass's frame (FindStaleCopies), and a
//     frame without its tag ring in view is copied a frame after its
//     backdrop stands and again a frame later, and the two must agree; a
//     stale copy is made again once the compositor has had a frame, at most
//     five times in all, after which the capture KeptChanging;
//   - a target that does not come to stand directly above the backdrop is
//     NotInFront;
//   - on a monitor in linear light, current copies read the staircase, and a
//     white backdrop the screen clips is painted lower and copied again; an
//     HDR monitor brightens SDR content by a boost only the staircase tells,
//     so matting one whose staircase was never read is a guess, where a
//     wide-gamut one, which adds no boost, is not;
//   - a shadow cut at the margin is copied once more with the widest margin.
// A Matted image has its copies matted and nothing off every monitor.
CaptureResult CaptureOverBackdrops(CaptureRequest const& request, CaptureScreen& screen);

// Cuts the tag ring out of a matted image, whose width and height become the
// capture rectangle's.
void DropTagRing(CaptureResult& result);
