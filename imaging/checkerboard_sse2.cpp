#include "imaging/kernels.h"

#include <emmintrin.h>

namespace {

// BlendOver on two pixels widened to 16-bit lanes: the foreground alpha is
// copied into all four lanes of its pixel and the alpha lane of the foreground
// enters as 255. The sums never exceed 255 * 255, so the low 16 bits of each
// product and the saturating add are exact.
__m128i BlendWords(__m128i foreground, __m128i background)
{
    __m128i const alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(foreground, 0xFF), 0xFF);
    __m128i const opaqueForeground = _mm_or_si128(foreground, _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0));
    __m128i const sum = _mm_adds_epu16(_mm_mullo_epi16(background, _mm_sub_epi16(_mm_set1_epi16(255), alpha)),
                                       _mm_mullo_epi16(opaqueForeground, alpha));
    return _mm_srli_epi16(sum, 8);
}

// Four pixels over one square colour, given widened.
__m128i Blend(__m128i pixels, __m128i background)
{
    __m128i const zero = _mm_setzero_si128();
    return _mm_packus_epi16(BlendWords(_mm_unpacklo_epi8(pixels, zero), background),
                            BlendWords(_mm_unpackhi_epi8(pixels, zero), background));
}

} // namespace

// Squares are 8 pixels wide and start at multiples of 8, so each aligned group
// of four pixels in a row lies on one square.
void CompositeOnCheckerboardSse2(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    __m128i const zero = _mm_setzero_si128();
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        std::int32_t x = 0;
        for (; width - x >= 4; x += 4) {
            __m128i const background = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(CheckerColourAt(x, y))), zero);
            __m128i* group = reinterpret_cast<__m128i*>(row + x);
            _mm_storeu_si128(group, Blend(_mm_loadu_si128(group), background));
        }
        for (; x < width; ++x)
            row[x] = BlendOver(row[x], CheckerColourAt(x, y));
    }
}
