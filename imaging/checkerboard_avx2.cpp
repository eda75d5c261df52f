#include "imaging/kernels.h"

#include <immintrin.h>

// The steps of checkerboard_sse2.cpp, eight pixels at once. The byte unpacks,
// the alpha shuffles and the pack work within each 128-bit half, so the pixels
// come back in order.
namespace {

struct Square {
    __m256i colour, colourTimes255;
};

Square SquareAt(std::int32_t x, std::int32_t y)
{
    __m256i const colour =
        _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(CheckerColourAt(x, y))), _mm256_setzero_si256());
    return {colour, _mm256_mullo_epi16(colour, _mm256_set1_epi16(255))};
}

__m256i BlendWords(__m256i foreground, __m256i alpha, Square const& square)
{
    __m256i const opaqueForeground = _mm256_or_si256(foreground, _mm256_set1_epi64x(0x00FF000000000000));
    __m256i const sum = _mm256_add_epi16(square.colourTimes255,
                                         _mm256_mullo_epi16(alpha, _mm256_sub_epi16(opaqueForeground, square.colour)));
    return _mm256_srli_epi16(sum, 8);
}

__m256i Blend(__m256i pixels, Square const& square)
{
    // Each pixel's alpha byte into the four 16-bit lanes of that pixel: the
    // first two pixels of each half for the low unpack, the last two for the high.
    constexpr char z = -128; // a shuffle index that gives 0
    __m256i const lowAlphas = _mm256_setr_epi8(3, z, 3, z, 3, z, 3, z, 7, z, 7, z, 7, z, 7, z,
                                               3, z, 3, z, 3, z, 3, z, 7, z, 7, z, 7, z, 7, z);
    __m256i const highAlphas = _mm256_setr_epi8(11, z, 11, z, 11, z, 11, z, 15, z, 15, z, 15, z, 15, z,
                                                11, z, 11, z, 11, z, 11, z, 15, z, 15, z, 15, z, 15, z);
    __m256i const zero = _mm256_setzero_si256();
    return _mm256_packus_epi16(
        BlendWords(_mm256_unpacklo_epi8(pixels, zero), _mm256_shuffle_epi8(pixels, lowAlphas), square),
        BlendWords(_mm256_unpackhi_epi8(pixels, zero), _mm256_shuffle_epi8(pixels, highAlphas), square));
}

} // namespace

void CompositeOnCheckerboardAvx2(std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        Square const squares[2] = {SquareAt(0, y), SquareAt(8, y)};
        std::int32_t x = 0;
        for (; width - x >= 8; x += 8) {
            __m256i* group = reinterpret_cast<__m256i*>(row + x);
            _mm256_storeu_si256(group, Blend(_mm256_loadu_si256(group), squares[(x / 8) % 2]));
        }
        for (; x < width; ++x)
            row[x] = BlendOver(row[x], CheckerColourAt(x, y));
    }
}
