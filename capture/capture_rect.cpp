#include "capture/capture_rect.h"

#include <algorithm>

namespace {

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
