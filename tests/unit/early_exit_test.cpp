#include "tests/support/early_exit.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct EarlyExitRow {
    char const* name;
    bool underWine;
    std::uint32_t exitCode;
    EarlyExit expected;
};

EarlyExitRow const kRows[] = {
    {"failure_status_under_wine_is_restarted", true, 1, EarlyExit::WineFault},
    {"large_failure_status_under_wine_is_restarted", true, 0x7FFFFFFF, EarlyExit::WineFault},
    {"failure_status_on_windows_fails", false, 1, EarlyExit::Failure},
    {"clean_exit_under_wine_fails", true, 0, EarlyExit::Failure},
    {"access_violation_is_a_crash", true, 0xC0000005, EarlyExit::Crash},
    {"stack_overrun_is_a_crash", true, 0xC0000409, EarlyExit::Crash},
    {"breakpoint_is_a_crash", true, 0x80000003, EarlyExit::Crash},
    {"crash_on_windows", false, 0xC00000FD, EarlyExit::Crash},
};

class EarlyExitTest : public testing::TestWithParam<EarlyExitRow> {};

TEST_P(EarlyExitTest, OnlyWineFailuresAreRestarted)
{
    EarlyExitRow const row = GetParam();
    EXPECT_EQ(ClassifyEarlyExit(row.underWine, row.exitCode), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, EarlyExitTest, testing::ValuesIn(kRows),
                         [](testing::TestParamInfo<EarlyExitRow> const& info) { return info.param.name; });

// CreateProcessW failing under wine is the same fault, caught earlier: the
// new process died in wine's own start-up.
TEST(FailedStart, IsStartedAgainOnlyUnderWineAndAtMostTwice)
{
    struct Row {
        bool underWine;
        int start;
        bool restarted;
    } const rows[] = {{true, 1, true}, {true, 2, true}, {true, 3, false}, {false, 1, false}};
    for (Row const& row : rows)
        EXPECT_EQ(RestartsFailedStart(row.underWine, row.start), row.restarted) << row.underWine << " " << row.start;
}

} // namespace
