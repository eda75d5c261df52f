#pragma once

#include "tests/support/png_test_files.h"
#ifdef _WIN32
#include "tests/support/retry_log_win32.h"
#endif

#include <cstdint>
#include <string>
#include <vector>

// Programs run as child processes, the way scripts run lucidframe-matte, with
// what the tests measure of them.

struct RunLimits {
    double timeoutSeconds = 60;   // then the child is killed, and the run fails
    // POSIX only: the child's address space, or under AddressSanitizer its
    // largest allocation; 0 for no limit.
    std::uint64_t memoryBytes = 0;
};

struct ProgramRun {
    int status = -1;         // exit status; 128 + the number of a signal that ended it, as shells report
    bool timedOut = false;
    std::string out;
    std::string err;
    double cpuSeconds = -1;  // user and system time; -1 where the platform does not report it
    double peakMiB = -1;     // the largest resident set (working set on Windows); -1 likewise
};


// Runs `program` (a path as CMake gives it) with `arguments` (UTF-8) and waits
// for it; standard output and error go to files and are read back.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const RunLimits& limits = {});

// Runs lucidframe-matte with `arguments`; those not starting with '-' are
// names in `folder`.
ProgramRun RunMatte(const ScratchFolder& folder, const std::vector<std::string>& arguments,
                    const RunLimits& limits = {});

// The arguments as RunMatte passes them.
std::vector<std::string> InFolder(const ScratchFolder& folder, const std::vector<std::string>& arguments);
