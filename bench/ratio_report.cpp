#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// The console table, plus each benchmark's best processor time per iteration:
// the minimum over repetitions, and time the thread spent running, so that
// other work on the machine disturbs the ratios as little as possible.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    // Plain text, so that the table reads the same on a terminal and in a log.
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(std::vector<Run> const& runs) override
    {
        for (Run const& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            double const time = run.GetAdjustedCPUTime();
            auto [entry, added] = bestTimes.emplace(run.run_name.function_name, time);
            if (!added)
                entry->second = std::min(entry->second, time);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> bestTimes;
};

} // namespace

int RunBenchmarksWithRatios(int argc, char** argv, std::initializer_list<KernelRatio> ratios)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (KernelRatio const& ratio : ratios) {
        auto const kernel = reporter.bestTimes.find(ratio.kernel);
        auto const baseline = reporter.bestTimes.find(ratio.baseline);
        if (kernel != reporter.bestTimes.end() && baseline != reporter.bestTimes.end() && baseline->second > 0)
            std::printf("ratio %s %.3g\n", ratio.kernel, kernel->second / baseline->second);
    }
    return 0;
}
