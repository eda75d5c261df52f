// The host window's dealings with the shell: the broadcast it must hear when
// run as administrator, and how long it keeps asking for its tray icon.
#include <windows.h>

#include <gtest/gtest.h>

#include "png/gdiplus_win32.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/host_window.h"
#include "shell/tray_icon_retry.h"
#include "tests/support/retry_log_win32.h"

namespace {

// Explorer runs below an elevated program's integrity level; UIPI passes its
// "TaskbarCreated" to the host only through the host's message filter. Asked
// to let it through once more, the filter says it already does.
TEST(HostWindow, LetsTaskbarCreatedThroughTheMessageFilter)
{
    if (RunningUnderWine())
        GTEST_SKIP() << "wine's ChangeWindowMessageFilterEx keeps no filter and reports nothing";
    // As the program starts: GDI+ running, which the host shuts down as it goes.
    Gdiplus::GdiplusStartupInput const gdiplusInput;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&g_app.gdiplusToken, &gdiplusInput, nullptr), Gdiplus::Ok);
    HWND const host =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HOST), nullptr, HostDialogProc, 0);
    ASSERT_NE(host, nullptr);
    CHANGEFILTERSTRUCT filter = {};
    filter.cbSize = sizeof filter;
    EXPECT_TRUE(ChangeWindowMessageFilterEx(host, RegisterWindowMessageW(L"TaskbarCreated"), MSGFLT_ALLOW, &filter));
    EXPECT_EQ(filter.ExtStatus, static_cast<DWORD>(MSGFLTINFO_ALREADYALLOWED_FORWND));
    DestroyWindow(host);
    // The host ends the program's loop as it goes; this thread has none.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The backdrop must be exactly what it is given: a per-monitor dialog that
// resized itself, or its fonts, on a change of DPI would no longer cover the
// frame. Windows 11's rounded corners and border cannot be read back, nor
// shown under wine (README, wine differences).
TEST(HostWindow, NeverRescalesItself)
{
    using GetDialogDpiChangeBehaviorFunction = DIALOG_DPI_CHANGE_BEHAVIORS(WINAPI*)(HWND);
    auto const getDialogDpiChangeBehavior = reinterpret_cast<GetDialogDpiChangeBehaviorFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDialogDpiChangeBehavior")));
    if (!getDialogDpiChangeBehavior)
        GTEST_SKIP() << "no GetDialogDpiChangeBehavior: before Windows 10 1703, or wine";
    Gdiplus::GdiplusStartupInput const gdiplusInput;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&g_app.gdiplusToken, &gdiplusInput, nullptr), Gdiplus::Ok);
    HWND const host =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HOST), nullptr, HostDialogProc, 0);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(getDialogDpiChangeBehavior(host), DDC_DISABLE_ALL);
    DestroyWindow(host);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

struct TrayRetryCase {
    bool shown;
    int attempts;
    bool again;
};

// Once a second for two minutes, and not once the icon is shown.
TEST(HostWindow, TriesToShowTheTrayIconForTwoMinutes)
{
    TrayRetryCase const cases[] = {
        {true, 1, false},
        {false, 1, true},
        {true, 60, false},
        {false, 119, true},
        {false, 120, false},
        {false, 121, false},
    };
    EXPECT_EQ(kTrayRetryIntervalMs * kTrayRetryAttempts, 120000u);
    for (TrayRetryCase const& c : cases)
        EXPECT_EQ(TryTrayIconAgain(c.shown, c.attempts), c.again) << "shown " << c.shown << ", attempt " << c.attempts;
}

} // namespace
