#include "capture/capture_rect.h"

#include <algorithm>
#include <limits>

namespace {

std::int32_t Clamped(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

CaptureRect Moved(CaptureRect rect, std::int64_t x, std::int64_t y)
{
    return {Clamped(rect.left + x), Clamped(rect.top + y), Clamped(rect.right + x), Clamped(rect.bottom + y)};
}

// Grows one edge in 64 bits and clamps it, so that an edge near the limits of
// 32 bits cannot overflow before it is brought back onto the screen.
std::int32_t GrowLowEdge(std::int32_t edge, std::int32_t margin, std::int32_t screenEdge)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{edge} - margin, screenEdge));
}

std::int32_t GrowHighEdge(std::int32_t edge, std::int32_t margin, std::int32_t screenEdge)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{edge} + margin, screenEdge));
}

} // namespace

CaptureRect CaptureRectAround(CaptureRect windowRect, CaptureRect screen, std::int32_t margin)
{
    CaptureRect rect;
    rect.left = GrowLowEdge(windowRect.left, margin, screen.left);
    rect.right = GrowHighEdge(windowRect.right, margin, screen.right);
    rect.top = GrowLowEdge(windowRect.top, margin, screen.top);
    rect.bottom = GrowHighEdge(windowRect.bottom, margin, screen.bottom);
    return rect;
}

CaptureRect Intersection(CaptureRect a, CaptureRect b)
{
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

CaptureRect InFrame(CaptureRect onScreen, CaptureRect frame)
{
    return Moved(onScreen, -std::int64_t{frame.left}, -std::int64_t{frame.top});
}

CaptureRect OnScreen(CaptureRect inFrame, CaptureRect frame)
{
    return Moved(inFrame, frame.left, frame.top);
}
