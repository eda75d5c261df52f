#include "capture/pair_rules.h"

#include "imaging/instruction_set.h"

std::int64_t CountPairFaults(std::uint32_t const* black, std::uint32_t const* white, std::int32_t count)
{
#if LUCIDFRAME_X86_KERNELS
    // Compiled for AVX2 the loop takes eight pixels at once; without it,
    // SSE2 has no 32-bit maximum and minimum and gains little.
    if (ActiveInstructionSet() == InstructionSet::Avx2)
        return CountPairFaultsAvx2(black, white, count);
#endif
    return pair_rules::CountFaults(black, white, count);
}
