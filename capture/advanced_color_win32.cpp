#include "capture/advanced_color_win32.h"

#include "base/system_function_win32.h"
#include "capture/monitor_paths.h"

#include <string>

namespace {

// The display configuration API, looked up rather than linked: Windows
// Vista has none of it, and the program must start wherever it can run.
struct DisplayConfigFunctions {
    decltype(&GetDisplayConfigBufferSizes) getBufferSizes;
    decltype(&QueryDisplayConfig) query;
    decltype(&DisplayConfigGetDeviceInfo) getDeviceInfo;
};

DisplayConfigFunctions const& DisplayConfig()
{
    static DisplayConfigFunctions const functions = [] {
        HMODULE const user32 = GetModuleHandleW(L"user32.dll");
        return DisplayConfigFunctions{
            LookUp<decltype(&GetDisplayConfigBufferSizes)>(user32, "GetDisplayConfigBufferSizes"),
            LookUp<decltype(&QueryDisplayConfig)>(user32, "QueryDisplayConfig"),
            LookUp<decltype(&DisplayConfigGetDeviceInfo)>(user32, "DisplayConfigGetDeviceInfo")};
    }();
    return functions;
}

// The active paths. The topology may change between the two calls, which the
// second then reports as a buffer too small; it is asked again a few times.
std::vector<DISPLAYCONFIG_PATH_INFO> ActivePaths(DisplayConfigFunctions const& api)
{
    int const kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        UINT32 pathCount = 0;
        UINT32 modeCount = 0;
        if (api.getBufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS)
            return {};
        std::vector<DISPLAYCONFIG_PATH_INFO> paths(pathCount);
        std::vector<DISPLAYCONFIG_MODE_INFO> modes(modeCount);
        LONG const result =
            api.query(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr);
        if (result == ERROR_SUCCESS) {
            paths.resize(pathCount);
            return paths;
        }
        if (result != ERROR_INSUFFICIENT_BUFFER)
            return {};
    }
    return {};
}

std::wstring SourceNameOf(DisplayConfigFunctions const& api, DISPLAYCONFIG_PATH_INFO const& path)
{
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source = {};
    source.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME;
    source.header.size = sizeof(source);
    source.header.adapterId = path.sourceInfo.adapterId;
    source.header.id = path.sourceInfo.id;
    if (api.getDeviceInfo(&source.header) != ERROR_SUCCESS)
        return {};
    return source.viewGdiDeviceName;
}

MonitorColour ColourOfTarget(DisplayConfigFunctions const& api, DISPLAYCONFIG_PATH_INFO const& path)
{
    DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO colour = {};
    colour.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO;
    colour.header.size = sizeof(colour);
    colour.header.adapterId = path.targetInfo.adapterId;
    colour.header.id = path.targetInfo.id;
    if (api.getDeviceInfo(&colour.header) != ERROR_SUCCESS || !colour.advancedColorEnabled)
        return {};
    return {colour.wideColorEnforced ? ColourMode::WideGamut : ColourMode::Hdr};
}

} // namespace

std::vector<DISPLAYCONFIG_PATH_INFO> DisplayPathsOf(HMONITOR monitor)
{
    DisplayConfigFunctions const& api = DisplayConfig();
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    if (!api.getBufferSizes || !api.query || !api.getDeviceInfo || !GetMonitorInfoW(monitor, &info))
        return {};
    std::vector<DISPLAYCONFIG_PATH_INFO> const paths = ActivePaths(api);
    std::vector<std::wstring> sourceNames;
    for (DISPLAYCONFIG_PATH_INFO const& path : paths)
        sourceNames.push_back(SourceNameOf(api, path));
    std::vector<DISPLAYCONFIG_PATH_INFO> shown;
    for (std::size_t index : PathsOfMonitor(info.szDevice, sourceNames))
        shown.push_back(paths[index]);
    return shown;
}

MonitorColour ColourOfMonitor(HMONITOR monitor)
{
    for (DISPLAYCONFIG_PATH_INFO const& path : DisplayPathsOf(monitor)) {
        MonitorColour const colour = ColourOfTarget(DisplayConfig(), path);
        if (ComposesInLinearLight(colour.mode))
            return colour;
    }
    return {};
}
