#include "capture/screen_layout.h"

#include <algorithm>
#include <cstring>
#include <limits>

std::vector<CaptureRect> InFrame(std::span<CaptureRect const> rects, CaptureRect frame)
{
    std::vector<CaptureRect> moved;
    for (CaptureRect const& rect : rects)
        moved.push_back(InFrame(rect, frame));
    return moved;
}

void SpansOffMonitors(std::span<CaptureRect const> monitors, std::int32_t y, std::int32_t width,
                      std::vector<PixelSpan>& spans)
{
    // The runs on a monitor first, sorted; then, in the same memory, the runs
    // between them.
    spans.clear();
    for (CaptureRect const& monitor : monitors) {
        if (y >= monitor.top && y < monitor.bottom && monitor.right > monitor.left)
            spans.push_back({std::max(monitor.left, 0), std::min(monitor.right, width)});
    }
    std::sort(spans.begin(), spans.end(), [](PixelSpan a, PixelSpan b) { return a.begin < b.begin; });
    std::size_t off = 0;
    std::int32_t x = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        PixelSpan const on = spans[i];
        if (on.begin > x)
            spans[off++] = {x, std::min(on.begin, width)};
        x = std::max(x, on.end);
    }
    spans.resize(off);
    if (x < width)
        spans.push_back({x, width});
}

void AddSpansOfRects(std::span<CaptureRect const> rects, std::int32_t y, std::vector<PixelSpan>& spans)
{
    for (CaptureRect const& rect : rects) {
        if (y >= rect.top && y < rect.bottom && rect.right > rect.left)
            spans.push_back({rect.left, rect.right});
    }
    std::sort(spans.begin(), spans.end(), [](PixelSpan a, PixelSpan b) { return a.begin < b.begin; });
}

void ClearPixelsOffMonitors(std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                            std::span<CaptureRect const> monitors)
{
    std::vector<PixelSpan> off;
    for (std::int32_t y = 0; y < height; ++y) {
        SpansOffMonitors(monitors, y, width, off);
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        for (PixelSpan const span : off)
            std::memset(row + span.begin, 0, static_cast<std::size_t>(span.end - span.begin) * sizeof *row);
    }
}
