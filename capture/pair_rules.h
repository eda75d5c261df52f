#pragma once

// Internal to the copy check: the rules every pixel of a current pair keeps
// (copy_check.h), and their count over a run of pixels, which every
// instruction set compiles from this one source.

#include "capture/copy_check.h"

#include <cstdint>

namespace pair_rules {

inline int Channel(std::uint32_t pixel, int channel)
{
    return static_cast<int>(pixel >> (8 * channel) & 0xFF);
}

// Whether white, which should be black lifted alike in every channel, turned
// the order of two channels that black had apart, by more than the dither
// and `slack` can: `black` and `white` are the differences of the same two
// channels in each copy.
inline int TurnsOrder(int black, int white, int slack)
{
    return ((black > slack) & (white < -slack)) | ((black < -slack) & (white > slack));
}

inline int Spread(int blue, int green, int red)
{
    int const largest = blue > green ? (blue > red ? blue : red) : (green > red ? green : red);
    int const smallest = blue < green ? (blue < red ? blue : red) : (green < red ? green : red);
    return largest - smallest;
}

// 1 where the pair breaks the rules, 0 where it keeps them. Without
// branches, so that a compiler takes many pixels at once: nearly every pixel
// of a translucent window takes the whole test. A pixel the same in both
// copies (an opaque one, or one under a window in front) keeps every rule.
// A conversion to a wide-gamut panel's primaries after 8-bit blending mixes
// channels in light, which lifts a dark colour's lesser channels more than a
// bright one's: white's channels may then lie up to half as far again apart
// as black's, and two close channels of black trade places by up to a
// quarter of its spread (Rec. 2020: 0.31 and 0.11 of it). A grey black copy
// still allows no colour over white.
inline int BreaksPairRules(std::uint32_t black, std::uint32_t white)
{
    int const kb = Channel(black, 0), kg = Channel(black, 1), kr = Channel(black, 2);
    int const wb = Channel(white, 0), wg = Channel(white, 1), wr = Channel(white, 2);
    int const blackSpread = Spread(kb, kg, kr);
    int const darker = (kb - wb > kPairSlack) | (kg - wg > kPairSlack) | (kr - wr > kPairSlack);
    int const spreads = Spread(wb, wg, wr) > blackSpread + (blackSpread >> 1) + kSpreadSlack;
    int const slack = kPairSlack + (blackSpread >> 2);
    int const turns = TurnsOrder(kb - kg, wb - wg, slack) | TurnsOrder(kb - kr, wb - wr, slack) |
                      TurnsOrder(kg - kr, wg - wr, slack);
    return darker | spreads | turns;
}

inline std::int64_t CountFaults(std::uint32_t const* black, std::uint32_t const* white, std::int32_t count)
{
    std::int32_t faults = 0;
    for (std::int32_t i = 0; i < count; ++i)
        faults += BreaksPairRules(black[i], white[i]);
    return faults;
}

} // namespace pair_rules

// The pixels of `count` pairs that break the rules, on the fastest
// instruction set the processor offers (imaging/instruction_set.h); every
// path gives the scalar count.
std::int64_t CountPairFaults(std::uint32_t const* black, std::uint32_t const* white, std::int32_t count);

#if LUCIDFRAME_X86_KERNELS
std::int64_t CountPairFaultsAvx2(std::uint32_t const* black, std::uint32_t const* white, std::int32_t count);
#endif
