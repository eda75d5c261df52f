#pragma once

#include <cstdint>

// What a program's exit before it was up means. The rule is written out once,
// in the README under "Restarts and retries", and tests/support/wine-run
// follows the same rule for the test programs it runs. The same fault can
// come earlier still: the new process dies in wine's own start-up ("failed to
// map the shared user data") and CreateProcessW fails; under wine such a
// failed start is started again too, on Windows it fails.
enum class EarlyExit {
    WineFault, // wine ended it before it ran: start it again
    Crash,     // an exception ended it: the test fails
    Failure,   // it gave up by itself: the test fails
};

// Whether an exit code is an exception's, as a process that crashed ends with
// when no debugger takes it (0xC0000005 and the like, or a breakpoint).
bool IsCrashExitCode(std::uint32_t exitCode);

// A crash is never restarted, and neither is a program that exits 0 or runs
// on Windows itself: only wine has been seen to end programs before they ran.
EarlyExit ClassifyEarlyExit(bool underWine, std::uint32_t exitCode);

// Starts in all for one program: the first and at most two more.
inline constexpr int kMaxStarts = 3;

// Whether a program that CreateProcessW could not start, at its `start`-th
// try (from 1), is started once more.
bool RestartsFailedStart(bool underWine, int start);
