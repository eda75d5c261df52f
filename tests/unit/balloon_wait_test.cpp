#include "shell/balloon_wait.h"

#include <gtest/gtest.h>

namespace {

struct WaitRow {
    char const* name;
    std::optional<std::uint64_t> shownAgoMs;
    std::uint32_t showSeconds;
    std::uint32_t waitMs;
};
WaitRow const kWaitRows[] = {
    {"no balloon showing", std::nullopt, 5, 0},
    {"shown a moment ago", 100, 5, kBalloonLeaveMs},
    {"shown just now", 0, 5, kBalloonLeaveMs},
    {"shown as long ago as it stays", 5000, 5, kBalloonLeaveMs},
    {"sliding out by itself", 5300, 5, 200},
    {"gone by itself", 5500, 5, 0},
    {"long ago", 60000, 5, 0},
    {"notifications kept a minute", 30000, 60, kBalloonLeaveMs},
    {"no time on the screen at all", 200, 0, 300},
    {"a tick count far past the setting", 0xFFFFFFFFFFull, 300, 0},
};

TEST(BalloonWait, OnlyForABalloonThatMayStillBeOnTheScreen)
{
    for (WaitRow const& row : kWaitRows)
        EXPECT_EQ(BalloonLeaveWaitMs(row.shownAgoMs, row.showSeconds), row.waitMs) << row.name;
}

WindowRecord Window(wchar_t const* className, bool targetProcess = false, bool topmost = true, bool cloaked = false)
{
    WindowRecord window;
    window.className = className;
    window.visible = true;
    window.targetProcess = targetProcess;
    window.topmost = topmost;
    window.cloaked = cloaked;
    return window;
}

struct NotificationRow {
    char const* name;
    WindowRecord window;
    bool leaving;
};
NotificationRow const kNotificationRows[] = {
    {"a toast of Windows 10 and 11", Window(L"Windows.UI.Core.CoreWindow"), true},
    {"a balloon of the tray", Window(L"tooltips_class32"), true},
    {"the target's own tooltip", Window(L"tooltips_class32", true), false},
    {"a window that is not topmost", Window(L"Windows.UI.Core.CoreWindow", false, false), false},
    {"on another virtual desktop", Window(L"Windows.UI.Core.CoreWindow", false, true, true), false},
    {"another program's topmost window", Window(L"Chrome_WidgetWin_1"), false},
};

TEST(BalloonWait, OnlyWhileANotificationStandsOverTheCapture)
{
    for (NotificationRow const& row : kNotificationRows)
        EXPECT_EQ(IsLeavingNotification(row.window), row.leaving) << row.name;
}

} // namespace
