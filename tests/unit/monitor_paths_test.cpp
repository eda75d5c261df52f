#include "capture/monitor_paths.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace {

struct MonitorPathsCase {
    char const* name;
    std::wstring monitor;
    std::vector<std::wstring> pathSources;
    std::vector<std::size_t> paths;
};

class PathsOfMonitorTable : public testing::TestWithParam<MonitorPathsCase> {};

TEST_P(PathsOfMonitorTable, FindsThePathsWhoseSourceIsTheMonitor)
{
    MonitorPathsCase const& c = GetParam();
    EXPECT_EQ(PathsOfMonitor(c.monitor, c.pathSources), c.paths);
}

INSTANTIATE_TEST_SUITE_P(Monitors, PathsOfMonitorTable, testing::Values(
    MonitorPathsCase{"the_only_monitor", L"\\\\.\\DISPLAY1", {L"\\\\.\\DISPLAY1"}, {0}},
    MonitorPathsCase{"the_second_of_two", L"\\\\.\\DISPLAY2", {L"\\\\.\\DISPLAY1", L"\\\\.\\DISPLAY2"}, {1}},
    MonitorPathsCase{"names_in_another_case", L"\\\\.\\display2", {L"\\\\.\\DISPLAY1", L"\\\\.\\Display2"}, {1}},
    MonitorPathsCase{"cloned_onto_two_displays", L"\\\\.\\DISPLAY1",
                     {L"\\\\.\\DISPLAY1", L"\\\\.\\DISPLAY3", L"\\\\.\\DISPLAY1"}, {0, 2}},
    MonitorPathsCase{"a_longer_name_alike", L"\\\\.\\DISPLAY1", {L"\\\\.\\DISPLAY10", L"\\\\.\\DISPLAY1"}, {1}},
    MonitorPathsCase{"a_shorter_name_alike", L"\\\\.\\DISPLAY10", {L"\\\\.\\DISPLAY1"}, {}},
    MonitorPathsCase{"no_path_shows_it", L"\\\\.\\DISPLAY4", {L"\\\\.\\DISPLAY1", L"\\\\.\\DISPLAY2"}, {}},
    MonitorPathsCase{"no_paths_at_all", L"\\\\.\\DISPLAY1", {}, {}},
    MonitorPathsCase{"a_monitor_without_a_name", L"", {L"", L"\\\\.\\DISPLAY1"}, {}}),
    [](testing::TestParamInfo<MonitorPathsCase> const& info) { return info.param.name; });

} // namespace
