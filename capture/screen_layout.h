#pragma once

#include "capture/capture_rect.h"

#include <cstdint>
#include <span>
#include <vector>

// The monitors as the capture sees them, in virtual-screen coordinates:
// physical pixels, the primary monitor's top-left at (0, 0), a monitor left
// of or above it at negative coordinates.
struct ScreenLayout {
    CaptureRect bounds;                // every monitor together: the virtual screen
    CaptureRect primary;               // the primary monitor
    std::vector<CaptureRect> monitors; // each monitor; monitors of different sizes leave gaps within `bounds`
};

// Each rectangle of `rects`, on the screen, in the coordinates of `frame`
// (InFrame).
std::vector<CaptureRect> InFrame(std::span<CaptureRect const> rects, CaptureRect frame);

// A run of pixels of one row, from `begin` to `end` (excluded).
struct PixelSpan {
    std::int32_t begin;
    std::int32_t end;
};

// The runs of row y, from 0 to `width`, that no rectangle of `monitors`
// covers, in order; all in the same coordinates.
void SpansOffMonitors(std::span<CaptureRect const> monitors, std::int32_t y, std::int32_t width,
                      std::vector<PixelSpan>& spans);

// Adds the runs of row y that `rects` cover to `spans`, and sorts them all by
// their start; runs may overlap.
void AddSpansOfRects(std::span<CaptureRect const> rects, std::int32_t y, std::vector<PixelSpan>& spans);

// Calls visit(begin, end) for every run of x from `from` to `to` (excluded)
// outside every run of `spans`, sorted by their start.
template <class Visit>
void ForEachRunOutside(std::vector<PixelSpan> const& spans, std::int32_t from, std::int32_t to, Visit visit)
{
    std::int32_t x = from;
    for (PixelSpan const span : spans) {
        std::int32_t const stop = span.begin < to ? span.begin : to;
        if (x < stop)
            visit(x, stop);
        x = x > span.end ? x : span.end;
    }
    if (x < to)
        visit(x, to);
}

// Calls visit(x) for every x from `from` to `to` (excluded) outside every run
// of `spans`, sorted by their start.
template <class Visit>
void ForEachPixelOutside(std::vector<PixelSpan> const& spans, std::int32_t from, std::int32_t to, Visit visit)
{
    ForEachRunOutside(spans, from, to, [&](std::int32_t begin, std::int32_t end) {
        for (std::int32_t x = begin; x < end; ++x)
            visit(x);
    });
}

// Makes every pixel of a width x height image that lies on no rectangle of
// `monitors` (in the image's coordinates) fully transparent: no monitor shows
// anything there, and a screen copy of it is not the window.
void ClearPixelsOffMonitors(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                            std::span<CaptureRect const> monitors);
