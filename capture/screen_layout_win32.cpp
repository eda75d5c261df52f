#include "capture/screen_layout_win32.h"

#include "capture/advanced_color_win32.h"

#include "base/system_function_win32.h"

#include <shellscalingapi.h>

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM monitors)
{
    reinterpret_cast<std::vector<MonitorFacts>*>(monitors)->push_back(
        FactsOfMonitor(monitor, {rect->left, rect->top, rect->right, rect->bottom}));
    return TRUE;
}

} // namespace

DisplayFacts CurrentDisplayFacts()
{
    DisplayFacts facts;
    ScreenLayout& layout = facts.layout;
    int const left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int const top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    layout.bounds = {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    layout.primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&facts.monitors));
    for (MonitorFacts const& monitor : facts.monitors)
        layout.monitors.push_back(monitor.rect);
    return facts;
}

MonitorFacts FactsOfMonitor(HMONITOR monitor, CaptureRect rect)
{
    MonitorColour const colour = ColourOfMonitor(monitor);
    return {monitor, rect, colour.mode, colour.sdrWhiteNits};
}

UINT DpiOf(HWND window)
{
    // The monitor's own scale, not the window's: GetDpiForWindow answers 96
    // for a window of a program that is not DPI-aware and the system's DPI
    // for one that is aware of that only, whatever monitor shows it, while
    // the shadow grows with the monitor. Looked up rather than linked:
    // Windows 7 and 8 have no GetDpiForMonitor, and the program must start
    // there.
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
    static HMODULE const shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    static auto const getDpiForMonitor = LookUp<GetDpiForMonitorFunction>(shcore, "GetDpiForMonitor");
    UINT dpiX = 0;
    UINT dpiY = 0;
    HMONITOR const monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (!getDpiForMonitor || FAILED(getDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || dpiX == 0)
        return 96;
    return dpiX;
}
