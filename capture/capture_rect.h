#pragma once

#include <cstdint>

// A screen rectangle: left and top inside, right and bottom just outside.
struct CaptureRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// The margin kept around the target for its frame and shadow, where the
// shadow fits in it (shadow_margin.h).
inline constexpr std::int32_t kCaptureMargin = 15;

// The target's window rectangle grown by `margin` on every side, then
// clamped edge by edge to `screen`, the bounds of every monitor together (the
// virtual screen, whose left and top are negative where a monitor lies left
// of or above the primary): left, right, top, bottom. Only the edge that
// crosses the screen moves, so a window wholly off the screen leaves a
// rectangle without pixels. Never overflows, whatever the input.
CaptureRect CaptureRectAround(CaptureRect windowRect, CaptureRect screen, std::int32_t margin);

// True when the rectangle covers at least one pixel.
inline bool HasPixels(CaptureRect rect)
{
    return rect.right > rect.left && rect.bottom > rect.top;
}

// What two rectangles share; without pixels where they share none.
CaptureRect Intersection(CaptureRect a, CaptureRect b);

// A rectangle on the screen in the coordinates of `frame`, whose top-left
// pixel becomes (0, 0), and back. Worked out in 64 bits and clamped, so that
// a rectangle far from the frame stays far from it.
CaptureRect InFrame(CaptureRect onScreen, CaptureRect frame);
CaptureRect OnScreen(CaptureRect inFrame, CaptureRect frame);
