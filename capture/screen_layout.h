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

// The layout of this moment's monitors, from the system (Windows builds only).
ScreenLayout CurrentScreenLayout();

// Each rectangle of `rects` moved so that `origin` becomes (0, 0): screen
// rectangles in the coordinates of a frame whose top-left pixel is `origin`.
std::vector<CaptureRect> RelativeTo(std::span<CaptureRect const> rects, std::int32_t originX, std::int32_t originY);

// A run of pixels of one row, from `begin` to `end` (excluded).
struct PixelSpan {
    std::int32_t begin;
    std::int32_t end;
};

// The runs of row y, from 0 to `width`, that no rectangle of `monitors`
// covers, in order; all in the same coordinates.
void SpansOffMonitors(std::span<CaptureRect const> monitors, std::int32_t y, std::int32_t width,
                      std::vector<PixelSpan>& spans);

// Makes every pixel of a width x height image that lies on no rectangle of
// `monitors` (in the image's coordinates) fully transparent: no monitor shows
// anything there, and a screen copy of it is not the window.
void ClearPixelsOffMonitors(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                            std::span<CaptureRect const> monitors);
