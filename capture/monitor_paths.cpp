#include "capture/monitor_paths.h"

#include <algorithm>

namespace {

wchar_t FoldAsciiCase(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameDeviceName(std::wstring_view a, std::wstring_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}

} // namespace

std::vector<std::size_t> PathsOfMonitor(std::wstring_view monitorName, std::span<std::wstring const> pathSourceNames)
{
    std::vector<std::size_t> paths;
    for (std::size_t i = 0; i < pathSourceNames.size(); ++i) {
        if (!monitorName.empty() && SameDeviceName(monitorName, pathSourceNames[i]))
            paths.push_back(i);
    }
    return paths;
}
