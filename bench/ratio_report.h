#pragma once

#include <initializer_list>

// A kernel's benchmark and the trivial pass it is judged against, by name.
struct KernelRatio {
    const char* kernel;
    const char* baseline;
};

// Runs the registered benchmarks (command-line flags as Google Benchmark
// reads them), prints the usual table and then `ratio <kernel> <x>` for each
// pair whose two benchmarks ran: the kernel's best time over the baseline's.
int RunBenchmarksWithRatios(int argc, char** argv, std::initializer_list<KernelRatio> ratios);
