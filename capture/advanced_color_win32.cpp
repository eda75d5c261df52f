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

// The newer query, Windows 11 24H2 and later; MinGW's headers lack it, and
// it is declared here as the system defines it.
DISPLAYCONFIG_DEVICE_INFO_TYPE const kGetAdvancedColorInfo2 = static_cast<DISPLAYCONFIG_DEVICE_INFO_TYPE>(15);
struct AdvancedColorInfo2 {
    DISPLAYCONFIG_DEVICE_INFO_HEADER header;
    UINT32 flags;
    DISPLAYCONFIG_COLOR_ENCODING colorEncoding;
    UINT32 bitsPerColorChannel;
    UINT32 activeColorMode; // DISPLAYCONFIG_ADVANCED_COLOR_MODE
};
static_assert(sizeof(AdvancedColorInfo2) == 36, "the system checks the size it is given");

// Asks the display configuration about the target of `path` in `block`, a
// structure that starts with its header; whether it answered.
template <typename Block>
bool AskTarget(DisplayConfigFunctions const& api, DISPLAYCONFIG_PATH_INFO const& path,
               DISPLAYCONFIG_DEVICE_INFO_TYPE type, Block& block)
{
    block = {};
    block.header.type = type;
    block.header.size = sizeof(block);
    block.header.adapterId = path.targetInfo.adapterId;
    block.header.id = path.targetInfo.id;
    return api.getDeviceInfo(&block.header) == ERROR_SUCCESS;
}

ColourAnswers AnswersOfTarget(DisplayConfigFunctions const& api, DISPLAYCONFIG_PATH_INFO const& path)
{
    ColourAnswers answers;
    AdvancedColorInfo2 modern;
    if (AskTarget(api, path, kGetAdvancedColorInfo2, modern))
        answers.activeMode = modern.activeColorMode;
    DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO legacy;
    if (AskTarget(api, path, DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO, legacy))
        answers.legacyFlags = legacy.value;
    DISPLAYCONFIG_SDR_WHITE_LEVEL white;
    if (AskTarget(api, path, DISPLAYCONFIG_DEVICE_INFO_GET_SDR_WHITE_LEVEL, white))
        answers.sdrWhiteLevel = white.SDRWhiteLevel;
    return answers;
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
        MonitorColour const colour = ColourFromAnswers(AnswersOfTarget(DisplayConfig(), path));
        if (ComposesInLinearLight(colour.mode))
            return colour;
    }
    return {};
}
