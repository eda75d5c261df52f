#include "tests/e2e/top_level_windows_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>

namespace {

struct Search {
    std::function<bool(HWND)> const* matches;
    HWND found;
};

BOOL CALLBACK TestWindow(HWND window, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    if (!(*search->matches)(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindTopLevelWindow(std::function<bool(HWND)> const& matches)
{
    Search search = {&matches, nullptr};
    EnumWindows(TestWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool HasClass(HWND window, wchar_t const* className)
{
    wchar_t actual[64] = {};
    GetClassNameW(window, actual, ARRAYSIZE(actual));
    return std::wcscmp(actual, className) == 0;
}

bool HasTitle(HWND window, wchar_t const* title)
{
    wchar_t actual[256] = {};
    GetWindowTextW(window, actual, ARRAYSIZE(actual));
    return std::wcscmp(actual, title) == 0;
}

DWORD ProcessOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

HWND FindOwnedWindow(HWND owner, wchar_t const* className)
{
    return FindTopLevelWindow([&](HWND window) {
        return GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window) && HasClass(window, className);
    });
}

std::vector<HWND> VisibleWindowsOf(DWORD processId)
{
    std::vector<HWND> windows;
    FindTopLevelWindow([&](HWND window) {
        if (ProcessOf(window) == processId && IsWindowVisible(window))
            windows.push_back(window);
        return false;
    });
    std::sort(windows.begin(), windows.end());
    return windows;
}

namespace {

std::string Describe(HWND window)
{
    wchar_t className[64] = {};
    wchar_t title[128] = {};
    GetClassNameW(window, className, ARRAYSIZE(className));
    GetWindowTextW(window, title, ARRAYSIZE(title));
    char text[320];
    std::snprintf(text, sizeof text, "%ls \"%ls\" of process %lu", className, title,
                  static_cast<unsigned long>(ProcessOf(window)));
    return text;
}

} // namespace

std::string DescribeDesktop()
{
    HWND const foreground = GetForegroundWindow();
    std::string text = "foreground: " + (foreground != nullptr ? Describe(foreground) : std::string("none"));
    text += "; visible:";
    FindTopLevelWindow([&](HWND window) {
        if (IsWindowVisible(window))
            text += " [" + Describe(window) + "]";
        return false;
    });
    return text;
}

bool ShowsAsBackdrop(HWND host)
{
    RECT place = {};
    RECT const screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT onScreen = {};
    return IsWindowVisible(host) && GetWindowRect(host, &place) && IntersectRect(&onScreen, &place, &screen) &&
           static_cast<std::int64_t>(onScreen.right - onScreen.left) * (onScreen.bottom - onScreen.top) > 1;
}
