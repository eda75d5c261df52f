#include "imaging/kernels.h"

#include <immintrin.h>

// The steps of checkerboard_sse2.cpp, eight pixels at once. The byte unpacks
// and the pack work within each 128-bit half, so the pixels come back in order.
namespace {

__m256i BlendWords(__m256i foreground, __m256i background)
{
    __m256i const alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(foreground, 0xFF), 0xFF);
    __m256i const opaqueForeground = _mm256_or_si256(foreground, _mm256_set1_epi64x(0x00FF000000000000));
    __m256i const sum = _mm256_adds_epu16(_mm256_mullo_epi16(background, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)),
                                          _mm256_mullo_epi16(opaqueForeground, alpha));
    return _mm256_srli_epi16(sum, 8);
}

__m256i Blend(__m256i pixels, __m256i background)
{
    __m256i const zero = _mm256_setzero_si256();
    return _mm256_packus_epi16(BlendWords(_mm256_unpacklo_epi8(pixels, zero), background),
                               BlendWords(_mm256_unpackhi_epi8(pixels, zero), background));
}

} // namespace

void CompositeOnCheckerboardAvx2(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    __m256i const zero = _mm256_setzero_si256();
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        std::int32_t x = 0;
        for (; width - x >= 8; x += 8) {
            __m256i const background =
                _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(CheckerColourAt(x, y))), zero);
            __m256i* group = reinterpret_cast<__m256i*>(row + x);
            _mm256_storeu_si256(group, Blend(_mm256_loadu_si256(group), background));
        }
        for (; x < width; ++x)
            row[x] = BlendOver(row[x], CheckerColourAt(x, y));
    }
}
