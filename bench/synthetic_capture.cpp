#include "synthetic_capture.h"

#include "imaging/matting.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kShadowRadius = 20;

struct Straight {
    int blue, green, red, alpha;
};

// Straight colour and opacity of the scene at (x, y), the window filling
// [left, right) x [top, bottom).
Straight SceneAt(int x, int y, int left, int top, int right, int bottom)
{
    bool const inside = x >= left && x < right && y >= top && y < bottom;
    if (!inside) {
        double const dx = std::max({left - x, 0, x - (right - 1)});
        double const dy = std::max({top - y, 0, y - (bottom - 1)});
        double const distance = std::sqrt(dx * dx + dy * dy);
        int const alpha = distance >= kShadowRadius ? 0 : static_cast<int>(96 * (1 - distance / kShadowRadius));
        return {0, 0, 0, alpha};
    }
    int const wx = x - left, wy = y - top;
    if (wy < 32)
        return {200, 160, 120, 200}; // glass title bar
    if (wx >= 40 && wx < 640 && wy >= 80 && wy < 480)
        return {250, 220, 170, 96}; // translucent panel
    // Opaque body: a soft gradient with dark, text-like specks.
    bool const ink = (wy / 2 % 9 < 3) && ((wx * 7 + wy * 13) % 11 < 4);
    if (ink)
        return {30, 30, 30, 255};
    return {230 + wx % 20, 232 + wy % 16, 235, 255};
}

} // namespace

SyntheticCapture MakeSyntheticCapture(std::int32_t width, std::int32_t height, std::int32_t margin)
{
    SyntheticCapture capture{width, height, {}, {}, {}};
    std::size_t const count = static_cast<std::size_t>(width) * height;
    capture.black.resize(count);
    capture.white.resize(count);
    int const inset = margin + kShadowRadius - 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Straight const s = SceneAt(x, y, inset, inset, width - inset, height - inset);
            auto over = [&](int v, int backdrop) { return (s.alpha * v + 127) / 255 + (255 - s.alpha) * backdrop / 255; };
            auto pixel = [&](int backdrop) {
                return static_cast<std::uint32_t>(over(s.red, backdrop) << 16 | over(s.green, backdrop) << 8 |
                                                  over(s.blue, backdrop));
            };
            capture.black[static_cast<std::size_t>(y) * width + x] = pixel(0) | 0xFF000000u;
            capture.white[static_cast<std::size_t>(y) * width + x] = pixel(255) | 0xFF000000u;
        }
    capture.matted = capture.white;
    RecoverAlpha(capture.black.data(), capture.matted.data(), static_cast<std::int32_t>(count));
    return capture;
}
