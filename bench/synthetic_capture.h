#pragma once

#include <cstdint>
#include <vector>

// A capture pair of a synthetic window as the program would take it: an opaque
// body with text-like detail, a translucent title bar and panel, and a soft
// shadow that fades out exactly `margin` pixels from every edge (0 lets the
// shadow run off the edges).
struct SyntheticCapture {
    std::int32_t width, height;
    std::vector<std::uint32_t> black, white; // over the black and white backdrops
    std::vector<std::uint32_t> matted;       // RecoverAlpha of the pair
};

SyntheticCapture MakeSyntheticCapture(std::int32_t width, std::int32_t height, std::int32_t margin);
