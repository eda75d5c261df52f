#pragma once

#include "capture/capture_rect.h"

#include <cstdint>
#include <span>

// The margin is there to keep the window's shadow, but shadows differ: the
// test display's compositor draws one that fades within 15 pixels, Windows 11
// one that reaches 50 to 80 pixels out. A capture whose shadow is cut at the
// margin is made again, once, with the widest margin; the margin the shadow
// then needed is the first guess for the next capture, so that a cut costs
// once, not every time.

// Alpha from the matting's rounding, not from a shadow, is at most 1.
inline constexpr int kFaintestShadow = 2;

// The widest margin at 100 % scaling (96 dots per inch).
inline constexpr std::int32_t kWidestMargin = 128;

// Room past the farthest shadow pixel a capture measured: another window's
// shadow may reach a little farther.
inline constexpr std::int32_t kShadowSlack = 8;

// The widest margin for a window on a monitor of `dpi` dots per inch.
std::int32_t WidestMargin(std::uint32_t dpi);

// The margin carried from one capture to the next is kept in pixels at 100 %
// scaling: a shadow is as many times wider as its monitor's scale, and the
// next window may lie on another monitor.

// The margin, in physical pixels, that a capture on a monitor of `dpi` starts
// from, given the remembered one: the usual kCaptureMargin stays as it is, a
// wider one grows with the scale, up to WidestMargin(dpi).
std::int32_t MarginAtDpi(std::int32_t remembered, std::uint32_t dpi);

// The margin to remember for `margin` physical pixels on a monitor of `dpi`:
// rounded up, so that it holds the same shadow again, and wider than the
// usual kCaptureMargin if `margin` was.
std::int32_t MarginToRemember(std::int32_t margin, std::uint32_t dpi);

// A matted capture as the margin sees it, all rectangles in the coordinates
// of its pixels.
struct MattedCapture {
    std::uint32_t const* pixels;
    std::int32_t width;
    std::int32_t height;
    CaptureRect rect;                    // the capture rectangle
    CaptureRect window;                  // the target's window rectangle
    std::span<CaptureRect const> unseen; // what windows in front of the target cover: no shadow of the target's
};

// How far the shadow reaches out of the window rectangle on each side, in
// pixels: the distance to the farthest pixel of the capture rectangle with
// alpha kFaintestShadow or more, outside `unseen`; 0 where there is none.
struct ShadowReach {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

ShadowReach MeasureShadowReach(MattedCapture const& capture);

// Whether the shadow reaches the outermost row or column of the margin on a
// side: a side the screen cut short ends nearer than `margin` and never counts.
bool ShadowIsCut(ShadowReach reach, std::int32_t margin);

// The margin that holds this shadow whole with room to spare: the usual 15
// pixels where the shadow fits in them, so that such captures stay as they
// always were; at most `widest`.
std::int32_t MarginForShadow(ShadowReach reach, std::int32_t widest);
