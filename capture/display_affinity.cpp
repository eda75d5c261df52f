#include "capture/display_affinity.h"

bool AffinityAllowsCapture(std::optional<std::uint32_t> affinity)
{
    std::uint32_t const kNone = 0; // WDA_NONE
    return !affinity || *affinity == kNone;
}
