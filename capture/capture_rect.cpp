#include "capture/capture_rect.h"

#include <algorithm>

namespace {

// Grows one edge in 64 bits and clamps it, so that an edge near the limits of
// 32 bits cannot overflow before it is brought back onto the screen.
std::int32_t GrowLowEdge(std::int32_t edge, std::int32_t screenEdge)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{edge} - kCaptureMargin, screenEdge));
}

std::int32_t GrowHighEdge(std::int32_t edge, std::int32_t screenEdge)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{edge} + kCaptureMargin, screenEdge));
}

} // namespace

CaptureRect CaptureRectAround(CaptureRect windowRect, CaptureRect screen)
{
    CaptureRect rect;
    rect.left = GrowLowEdge(windowRect.left, screen.left);
    rect.right = GrowHighEdge(windowRect.right, screen.right);
    rect.top = GrowLowEdge(windowRect.top, screen.top);
    rect.bottom = GrowHighEdge(windowRect.bottom, screen.bottom);
    return rect;
}
