#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the sample window shows; every pixel is known, so that a capture of the
// window can be checked pixel by pixel.
//   Pattern:  per-pixel alpha from 8 at the top-left to 255 at the bottom-right
//   Constant: the colours below at a constant window alpha of 128
//   Opaque:   the colours below, opaque
enum class SampleMode {
    Pattern,
    Constant,
    Opaque,
};

inline constexpr std::uint8_t kSampleConstantAlpha = 128;

// "pattern", "constant" or "opaque"; false for anything else.
bool ParseSampleMode(std::wstring_view text, SampleMode& mode);

// The pixel at (x, y) of a window of width x height in `mode`, as straight
// 0xAARRGGBB. Red grows to the right, green downward, and blue alternates
// between two values in 16-pixel squares.
std::uint32_t SamplePixel(SampleMode mode, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

// The straight pixel with its colour multiplied by its alpha, rounded to
// nearest, as layered windows expect it.
std::uint32_t Premultiply(std::uint32_t pixel);

// Whether a matted pixel matches the known one: alpha within 1, each colour
// channel within 1 + 510 / alpha (the integer matting loses up to 255 / alpha,
// the blending of the window on screen a little more). Where the known pixel
// is transparent, its colour does not count.
bool SamplePixelMatches(std::uint32_t actual, std::uint32_t expected);

// Whether a matted capture of the whole window matches the known pixels:
// every pixel as SamplePixelMatches says. On a mismatch, `firstMismatch` tells
// the size or the first pixel that differs.
bool MatchesSample(SampleMode mode, const std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::string& firstMismatch);
