#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Windows names a monitor by its GDI device name ("\\.\DISPLAY1", from
// GetMonitorInfo), and each active display path by the GDI name of its
// source (DisplayConfigGetDeviceInfo). A monitor shown on two displays at
// once (cloned) has two paths; a path of another monitor never matches,
// however alike the names ("\\.\DISPLAY1" and "\\.\DISPLAY10").

// The indices, in order, of the paths in `pathSourceNames` whose source is
// the monitor `monitorName`. Device names are compared without regard to
// the case of ASCII letters, as Windows compares them.
std::vector<std::size_t> PathsOfMonitor(std::wstring_view monitorName, std::span<std::wstring const> pathSourceNames);
