#include "capture/display_affinity.h"

#include <gtest/gtest.h>

namespace {

struct AffinityRow {
    char const* name;
    std::optional<std::uint32_t> affinity;
    bool allowed;
};
AffinityRow const kAffinityRows[] = {
    {"no answer", std::nullopt, true},
    {"WDA_NONE", 0x0, true},
    {"WDA_MONITOR", 0x1, false},
    {"WDA_EXCLUDEFROMCAPTURE", 0x11, false},
    {"a later kind of protection", 0x20, false},
};

TEST(DisplayAffinity, AnyAffinityForbidsTheCapture)
{
    for (AffinityRow const& row : kAffinityRows)
        EXPECT_EQ(AffinityAllowsCapture(row.affinity), row.allowed) << row.name;
}

} // namespace
