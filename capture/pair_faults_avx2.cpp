#include "capture/pair_rules.h"

// The same loop as the scalar count, compiled for AVX2.
std::int64_t CountPairFaultsAvx2(std::uint32_t const* black, std::uint32_t const* white, std::int32_t count)
{
    return pair_rules::CountFaults(black, white, count);
}
