#include "capture/monitor_paths.h"

#include "base/wide_text.h"

std::vector<std::size_t> PathsOfMonitor(std::wstring_view monitorName, std::span<std::wstring const> pathSourceNames)
{
    std::vector<std::size_t> paths;
    for (std::size_t i = 0; i < pathSourceNames.size(); ++i) {
        if (!monitorName.empty() && SameIgnoringAsciiCase(monitorName, pathSourceNames[i]))
            paths.push_back(i);
    }
    return paths;
}
