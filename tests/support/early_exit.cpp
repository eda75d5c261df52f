#include "tests/support/early_exit.h"

namespace {

std::uint32_t const kErrorSeverity = 0xC0000000u;
std::uint32_t const kBreakpoint = 0x80000003u;

} // namespace

bool IsCrashExitCode(std::uint32_t exitCode)
{
    return (exitCode & kErrorSeverity) == kErrorSeverity || exitCode == kBreakpoint;
}

EarlyExit ClassifyEarlyExit(bool underWine, std::uint32_t exitCode)
{
    if (IsCrashExitCode(exitCode))
        return EarlyExit::Crash;
    return underWine && exitCode != 0 ? EarlyExit::WineFault : EarlyExit::Failure;
}

bool RestartsFailedStart(bool underWine, int start)
{
    return underWine && start < kMaxStarts;
}
