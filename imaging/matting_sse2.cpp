#include "imaging/kernels.h"

#include <emmintrin.h>

namespace {

// floor(c * 255 / A) for one colour channel of four pixels, taken as
// trunc(c * scale + 1/512) with scale = fl(255 / A). The float errors stay
// below 5e-5, while a quotient that is not whole lies at least 1/A >= 1/255
// below the next whole number: the bias lifts exact quotients over their
// rounding error and never carries any other one over.
template <int Shift>
__m128i ChannelQuotient(__m128i black, __m128 scale)
{
    __m128 const channel = _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(black, Shift), _mm_set1_epi32(0xFF)));
    __m128 const quotient = _mm_add_ps(_mm_mul_ps(channel, scale), _mm_set1_ps(1.0f / 512.0f));
    return _mm_slli_epi32(_mm_cvttps_epi32(quotient), Shift);
}

// Four pixels at once, with no branches:
// - The per-channel estimate k - w + 255 is the saturating byte add of k and
//   255 - w, so it tops out at 255. Nothing is lost: an estimate above 255
//   keeps the black colour at alpha 255, and with A = 255 the quotient
//   c * 255 / 255 is c, the same bytes.
// - A = 0 happens only where the black colour is 0, so dividing by max(A, 1)
//   gives the required 0 pixel.
__m128i Matte(__m128i black, __m128i white)
{
    __m128i const estimates =
        _mm_and_si128(_mm_adds_epu8(black, _mm_xor_si128(white, _mm_set1_epi32(-1))), _mm_set1_epi32(0x00FFFFFF));
    __m128i const largest = _mm_max_epu8(_mm_max_epu8(estimates, _mm_srli_epi32(estimates, 8)),
                                         _mm_srli_epi32(estimates, 16));
    __m128i const alpha = _mm_and_si128(largest, _mm_set1_epi32(0xFF));

    __m128 const scale = _mm_div_ps(_mm_set1_ps(255.0f), _mm_max_ps(_mm_cvtepi32_ps(alpha), _mm_set1_ps(1.0f)));
    return _mm_or_si128(_mm_or_si128(ChannelQuotient<0>(black, scale), ChannelQuotient<8>(black, scale)),
                        _mm_or_si128(ChannelQuotient<16>(black, scale), _mm_slli_epi32(alpha, 24)));
}

} // namespace

void RecoverAlphaSse2(const std::uint32_t* black, std::uint32_t* white, std::int32_t count)
{
    std::int32_t i = 0;
    for (; count - i >= 4; i += 4) {
        __m128i const k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(black + i));
        __m128i const w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(white + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(white + i), Matte(k, w));
    }
    RecoverAlphaScalar(black + i, white + i, count - i);
}
