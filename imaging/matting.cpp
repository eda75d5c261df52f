#include "imaging/matting.h"

#include "imaging/kernels.h"

#include <algorithm>

void RecoverAlpha(const std::uint32_t* black, std::uint32_t* white, std::int32_t count)
{
    if (count > 0)
        ActiveKernels().recoverAlpha(black, white, count);
}

void RecoverAlphaScalar(const std::uint32_t* black, std::uint32_t* white, std::int32_t count)
{
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t const k = black[i];
        std::uint32_t const w = white[i];
        int const bk = k & 0xFF, gk = (k >> 8) & 0xFF, rk = (k >> 16) & 0xFF;
        int const bw = w & 0xFF, gw = (w >> 8) & 0xFF, rw = (w >> 16) & 0xFF;
        int const a = std::max({bk - bw + 255, gk - gw + 255, rk - rw + 255});

        if (a >= 255) {
            // Above 255 the pixel is brighter over black than over white: no
            // opacity explains it (the content changed between the two copies),
            // so the black copy is kept. At exactly 255 (opaque) the quotients
            // c * 255 / 255 are the black copy too, so the divisions are skipped.
            white[i] = 0xFF000000u | (k & 0x00FFFFFFu);
        } else if (a == 0) {
            white[i] = 0;
        } else {
            std::uint32_t const b = static_cast<std::uint32_t>(bk * 255 / a);
            std::uint32_t const g = static_cast<std::uint32_t>(gk * 255 / a);
            std::uint32_t const r = static_cast<std::uint32_t>(rk * 255 / a);
            white[i] = static_cast<std::uint32_t>(a) << 24 | r << 16 | g << 8 | b;
        }
    }
}
