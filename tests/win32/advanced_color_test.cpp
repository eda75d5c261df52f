// Advanced colour of the monitors, from the display configuration: what wine
// can show is that every monitor is found among the active display paths.
// Whether a path has advanced colour on only Windows can show (README).
#include "capture/advanced_color_win32.h"

#include "tests/support/retry_log_win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM monitors)
{
    reinterpret_cast<std::vector<HMONITOR>*>(monitors)->push_back(monitor);
    return TRUE;
}

TEST(AdvancedColor, EveryMonitorHasItsDisplayPath)
{
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    ASSERT_FALSE(monitors.empty());
    for (HMONITOR monitor : monitors) {
        EXPECT_FALSE(DisplayPathsOf(monitor).empty()) << monitor;
        if (RunningUnderWine()) {
            EXPECT_EQ(ColourOfMonitor(monitor).mode, ColourMode::Sdr) << "wine reports no advanced colour";
        }
    }
    EXPECT_TRUE(DisplayPathsOf(nullptr).empty());
    EXPECT_EQ(ColourOfMonitor(nullptr).mode, ColourMode::Sdr);
}

} // namespace
