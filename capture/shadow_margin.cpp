#include "capture/shadow_margin.h"

#include "capture/screen_layout.h"

#include <algorithm>
#include <vector>

std::int32_t WidestMargin(std::uint32_t dpi)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{kWidestMargin} * dpi / 96, kWidestMargin,
                                                              4 * kWidestMargin));
}

namespace {

// Dots per inch as the margins count them: never below 100 % scaling, as
// WidestMargin.
std::int64_t ScaleOf(std::uint32_t dpi)
{
    return std::max<std::int64_t>(dpi, 96);
}

} // namespace

std::int32_t MarginAtDpi(std::int32_t remembered, std::uint32_t dpi)
{
    if (remembered <= kCaptureMargin)
        return kCaptureMargin;
    std::int64_t const scaled = (std::int64_t{remembered} * ScaleOf(dpi) + 95) / 96;
    return static_cast<std::int32_t>(std::min<std::int64_t>(scaled, WidestMargin(dpi)));
}

std::int32_t MarginToRemember(std::int32_t margin, std::uint32_t dpi)
{
    if (margin <= kCaptureMargin)
        return kCaptureMargin;
    std::int64_t const unscaled = (std::int64_t{margin} * 96 + ScaleOf(dpi) - 1) / ScaleOf(dpi);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(unscaled, kCaptureMargin + 1, kWidestMargin));
}

ShadowReach MeasureShadowReach(MattedCapture const& capture)
{
    // The box of every shadow pixel, grown from the window rectangle.
    CaptureRect box = capture.window;
    CaptureRect const rect = {std::max(capture.rect.left, 0), std::max(capture.rect.top, 0),
                              std::min(capture.rect.right, capture.width),
                              std::min(capture.rect.bottom, capture.height)};
    std::vector<PixelSpan> unseen;
    for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
        std::uint32_t const* row = capture.pixels + static_cast<std::int64_t>(y) * capture.width;
        auto const measure = [&](std::int32_t x) {
            if (static_cast<int>(row[x] >> 24) < kFaintestShadow)
                return;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x + 1);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y + 1);
        };
        unseen.clear();
        AddSpansOfRects(capture.unseen, y, unseen);
        // Beside the window only the margin is read: its own pixels are no
        // shadow.
        bool const besideTheWindow = y >= capture.window.top && y < capture.window.bottom;
        std::int32_t const leftEnd = besideTheWindow ? std::clamp(capture.window.left, rect.left, rect.right) : rect.right;
        std::int32_t const rightStart = besideTheWindow ? std::clamp(capture.window.right, leftEnd, rect.right) : rect.right;
        ForEachPixelOutside(unseen, rect.left, leftEnd, measure);
        ForEachPixelOutside(unseen, rightStart, rect.right, measure);
    }
    return {capture.window.left - box.left, capture.window.top - box.top, box.right - capture.window.right,
            box.bottom - capture.window.bottom};
}

bool ShadowIsCut(ShadowReach reach, std::int32_t margin)
{
    return std::max({reach.left, reach.top, reach.right, reach.bottom}) >= margin;
}

std::int32_t MarginForShadow(ShadowReach reach, std::int32_t widest)
{
    std::int32_t const farthest = std::max({reach.left, reach.top, reach.right, reach.bottom});
    return farthest < kCaptureMargin ? kCaptureMargin : std::min(farthest + kShadowSlack, widest);
}
