#pragma once

// The walk over a frame's copies that both the check and the measurement of
// the staircase make: what lies under `unseen` or on no monitor is neither's
// to read.

#include "capture/copy_check.h"
#include "capture/screen_layout.h"

#include <algorithm>
#include <vector>

// The parts of row y that the check leaves alone, sorted by their start:
// those under `unseen`, and those on no monitor.
inline void UnjudgedSpansOfRow(BackdropCopies const& copies, std::int32_t y, std::vector<PixelSpan>& spans)
{
    SpansOffMonitors(copies.monitors, y, copies.width, spans);
    AddSpansOfRects(copies.unseen, y, spans);
}

// Calls ring(x, y) for every pixel of the ring (tags and staircase alike)
// and pair(y, begin, end) for every run of pixels of row y of the capture
// rectangle that the check judges: what lies outside `unseen` and on a
// monitor.
template <class Ring, class Pair>
void ForEachJudgedPixel(BackdropCopies const& copies, Ring ring, Pair pair)
{
    std::int32_t const width = copies.width;
    CaptureRect const inner = {std::clamp(copies.inner.left, 0, width), copies.inner.top,
                               std::clamp(copies.inner.right, 0, width), copies.inner.bottom};
    std::vector<PixelSpan> unseen;
    for (std::int32_t y = 0; y < copies.height; ++y) {
        auto const ringAt = [&](std::int32_t x) { ring(x, y); };
        UnjudgedSpansOfRow(copies, y, unseen);
        if (y < inner.top || y >= inner.bottom) {
            ForEachPixelOutside(unseen, 0, width, ringAt);
        } else {
            ForEachPixelOutside(unseen, 0, inner.left, ringAt);
            ForEachRunOutside(unseen, inner.left, inner.right,
                              [&](std::int32_t begin, std::int32_t end) { pair(y, begin, end); });
            ForEachPixelOutside(unseen, inner.right, width, ringAt);
        }
    }
}

