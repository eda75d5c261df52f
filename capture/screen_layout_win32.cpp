#include "capture/screen_layout_win32.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM monitors)
{
    reinterpret_cast<std::vector<CaptureRect>*>(monitors)->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

} // namespace

ScreenLayout CurrentScreenLayout()
{
    ScreenLayout layout;
    int const left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int const top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    layout.bounds = {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    layout.primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&layout.monitors));
    return layout;
}

UINT DpiOf(HWND window)
{
    // Looked up rather than linked: Windows 7 and 8 have no GetDpiForWindow,
    // and the program must start there.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static auto const getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT const dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi > 0 ? dpi : 96;
}
