#pragma once

#include "capture/capture_rect.h"

#include <cstdint>
#include <span>

// A screen copy made straight after the z-order calls can show a frame the
// compositor has not brought up to date: the screen before the backdrop came,
// the other pass's backdrop, or rows of two frames at once. Matting such a
// copy gives a wrong image that looks like a capture. Each copy is therefore
// checked before it is used, with two kinds of evidence:
//
// The tag ring. Each backdrop reaches two pixels past the capture rectangle
// on every side where the screen has room. The outer pixel is painted in pure
// primaries that tell the passes apart: blue and green in turn for the black
// pass, red and blue in turn for the white one, so that at every ring pixel
// the two passes differ, and no even-coloured desktop or window looks like
// either ring. A copy shows a tag where the tag's channel is the largest by
// half again: a shadow darkens a primary, and colour management (a wide-gamut
// panel, Auto Color Management, HDR) mixes some of the others into it. The
// ring's left and right columns tag every row, so a copy torn between two
// frames shows up too. The inner pixel, next to the rectangle, carries a
// staircase of greys, the same in both passes, from which the capture learns
// how this screen copies what is painted (screen_transfer.h); the check
// leaves it alone. Where a side has room for one pixel only, that one is
// tagged. The ring is copied with the rectangle and never saved.
//
// The pair. Whatever the compositor (8-bit blending or linear light, with an
// SDR boost or a conversion to the panel's primaries), a pixel of opacity a
// and colour v shows over white what it shows over black lifted by the same
// amount of light in every channel, so over the rectangle:
//   - white is at least black in every channel;
//   - white's channels lie no further apart than black's: the sRGB curve
//     brings values closer together the higher they lie;
//   - where black has one channel above another, white has it above or equal.
// Rounding and a dither of one step in each copy blur each comparison by
// kPairSlack (the spread by kSpreadSlack). A conversion to a wide-gamut
// panel's primaries after 8-bit blending loosens the last two by a part of
// black's own spread (pair_rules.h); a grey black copy still allows no
// colour over white. These hold for any content that
// stays put between the copies. A repaint of the window between the copies,
// or a copy of the backdrop lying over a coloured window, breaks them.

inline constexpr std::int32_t kTagRingWidth = 2;

// How far a channel of a current pair may stray from the pair's rules: a
// step of rounding, and a step of dither in either copy.
inline constexpr int kPairSlack = 2;

// How much further apart white's channels may lie than black's: a step of
// rounding in each copy, and a step of dither in each of two channels of
// each copy.
inline constexpr int kSpreadSlack = 2 + 2 * kPairSlack;

enum class Backdrop { Black, White };

// `rect` grown by the tag ring on every side where it stays within `screen`.
CaptureRect TagFrameAround(CaptureRect rect, CaptureRect screen);

// The grey levels of the staircase, from black to white, one per step along
// the ring, repeated.
inline constexpr int kStaircaseSteps = 17;
inline constexpr std::uint8_t StaircaseLevel(int step)
{
    return static_cast<std::uint8_t>(step * 16 > 255 ? 255 : step * 16);
}

// The step of the staircase at (x, y) of a frame.
int StaircaseStepAt(std::int32_t x, std::int32_t y);

// Whether the ring pixel at (x, y) of a frame of width x height carries a tag:
// the frame's outermost pixel on each side where it reaches past `inner`.
// Every other pixel outside `inner` is a step of the staircase.
bool IsTagPixel(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, CaptureRect inner);

// Paints the backdrop of `pass` into a buffer of width x height whose capture
// rectangle, in its own coordinates, is `inner`: opaque black, or opaque grey
// of level `white` (white unless the screen clips it), inside `inner`, and the
// ring outside it: the pass's tags, and the staircase.
void PaintBackdrop(std::uint32_t* pixels, std::int32_t width, std::int32_t height, CaptureRect inner, Backdrop pass,
                   std::uint8_t white = 255);

// The two copies of one frame, the ring included, as the check sees them.
struct BackdropCopies {
    std::uint32_t const* black;
    std::uint32_t const* white;
    std::int32_t width;
    std::int32_t height;
    CaptureRect inner;                    // the capture rectangle in the frame's coordinates
    std::span<CaptureRect const> unseen;  // in the frame's coordinates: what the backdrop cannot show, such as
                                          // windows in front of the target; neither copy is judged there
    std::span<CaptureRect const> monitors; // in the frame's coordinates; what lies on none is not judged either
    CaptureRect window = {0, 0, 0, 0};     // the target's own window in the frame's coordinates; empty for none
    std::uint8_t whiteShown = 255;         // what a copy of the white backdrop returns
};

struct StaleCopies {
    bool black;
    bool white;
    bool Any() const { return black || white; }
};

inline constexpr StaleCopies kBothCopiesStale = {true, true};

// More pixels than this breaking the pair's rules make both copies stale. A
// text caret (two pixels by up to thirty) may blink between the copies; it is
// drawn from one of them either way.
inline constexpr std::int64_t kPairFaultsForgiven = 64;

// Which copies show a frame other than their own pass's:
//   - a ring pixel outside `unseen` that differs between the copies must show
//     each copy's own tag there, or that copy is stale;
//   - a ring pixel that is the same in both copies, within kPairSlack, lies
//     under something the backdrop cannot show, unless it shows a tag: then
//     one copy shows the other's frame, and both are made again;
//   - a copy whose ring, where it lies outside `unseen`, shows none of its
//     own tags is stale;
//   - more than kPairFaultsForgiven pixels of the rectangle outside `unseen`
//     that break the pair's rules make both copies stale.
// Pixels on no monitor are not judged either. Where no ring pixel is in view
// (TagRingInView), only the pair is judged, and the capture asks more of the
// copies themselves (capture_policy.h). And a visible window
// always shows something: where every judged pixel of `window` shows the
// backdrop alone in both copies (within kPairSlack of black and of
// `whiteShown`), both copies show the
// backdrop in front of the window, and both are stale.
StaleCopies FindStaleCopies(BackdropCopies const& copies);

// Whether any tagged pixel of the ring lies outside `unseen` and on a monitor:
// only such a pixel proves anything. A window filling the screen leaves no
// room for the ring; a full-screen overlay, or a window in front covering the
// frame's border, leaves none of it in view. The pixels are not read.
bool TagRingInView(BackdropCopies const& copies);

// A checksum of `count` pixels, to tell two copies of one frame apart without
// keeping both.
std::uint64_t PixelChecksum(std::uint32_t const* pixels, std::int64_t count);
