#include "imaging/kernels.h"

#include <emmintrin.h>

namespace {

// A square colour widened to one 16-bit lane per channel, with its multiple of 255.
struct Square {
    __m128i colour, colourTimes255;
};

Square SquareAt(std::int32_t x, std::int32_t y)
{
    __m128i const colour = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(CheckerColourAt(x, y))), _mm_setzero_si128());
    return {colour, _mm_mullo_epi16(colour, _mm_set1_epi16(255))};
}

// BlendOver on two pixels widened to 16-bit lanes, with the foreground's alpha
// lane entering as 255. b * (255 - a) + f * a is formed as b * 255 + a * (f - b)
// in wrapping 16-bit arithmetic: the true sum lies between 0 and 255 * 255, so
// the wrapped one is exact, and it needs one multiply instead of two.
__m128i BlendWords(__m128i foreground, Square const& square)
{
    __m128i const alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(foreground, 0xFF), 0xFF);
    __m128i const opaqueForeground = _mm_or_si128(foreground, _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0));
    __m128i const sum = _mm_add_epi16(square.colourTimes255,
                                      _mm_mullo_epi16(alpha, _mm_sub_epi16(opaqueForeground, square.colour)));
    return _mm_srli_epi16(sum, 8);
}

__m128i Blend(__m128i pixels, Square const& square)
{
    __m128i const zero = _mm_setzero_si128();
    return _mm_packus_epi16(BlendWords(_mm_unpacklo_epi8(pixels, zero), square),
                            BlendWords(_mm_unpackhi_epi8(pixels, zero), square));
}

} // namespace

// Squares are 8 pixels wide and start at multiples of 8, so each aligned group
// of four pixels in a row lies on one square.
void CompositeOnCheckerboardSse2(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        Square const squares[2] = {SquareAt(0, y), SquareAt(8, y)};
        std::int32_t x = 0;
        for (; width - x >= 4; x += 4) {
            __m128i* group = reinterpret_cast<__m128i*>(row + x);
            _mm_storeu_si128(group, Blend(_mm_loadu_si128(group), squares[(x / 8) % 2]));
        }
        for (; x < width; ++x)
            row[x] = BlendOver(row[x], CheckerColourAt(x, y));
    }
}
