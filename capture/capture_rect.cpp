#include "capture/capture_rect.h"

#include <algorithm>

namespace {

// Grows one edge in 64 bits and clamps it, so that an edge near the limits of
// 32 bits cannot overflow before it is brought back onto the screen.
std::int32_t GrowLowEdge(std::int32_t edge)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{edge} - kCaptureMargin, 0));
}

std::int32_t GrowHighEdge(std::int32_t edge, std::int32_t screenSize)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{edge} + kCaptureMargin, screenSize));
}

} // namespace

CaptureRect CaptureRectAround(CaptureRect windowRect, std::int32_t screenWidth, std::int32_t screenHeight)
{
    CaptureRect rect;
    rect.left = GrowLowEdge(windowRect.left);
    rect.right = GrowHighEdge(windowRect.right, screenWidth);
    rect.top = GrowLowEdge(windowRect.top);
    rect.bottom = GrowHighEdge(windowRect.bottom, screenHeight);
    return rect;
}
