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
// can: `black` and `white` are the differences of the same two channels in
// each copy.
inline int TurnsOrder(int black, int white)
{
    return ((black > kPairSlack) & (white < -kPairSlack)) | ((black < -kPairSlack) & (white > kPairSlack));
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
inline int BreaksPairRules(std::uint32_t black, std::uint32_t white)
{
    int const kb = Channel(black, 0), kg = Channel(black, 1), kr = Channel(black, 2);
    int const wb = Channel(white, 0), wg = Channel(white, 1), wr = Channel(white, 2);
    int const darker = (kb - wb > kPairSlack) | (kg - wg > kPairSlack) | (kr - wr > kPairSlack);
    int const spreads = Spread(wb, wg, wr) > Spread(kb, kg, kr) + kSpreadSlack;
    int const turns = TurnsOrder(kb - kg, wb - wg) | TurnsOrder(kb - kr, wb - wr) | TurnsOrder(kg - kr, wg - wr);
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
