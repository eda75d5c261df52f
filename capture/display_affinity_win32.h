#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// The display affinity of `window` (display_affinity.h); none where the
// system cannot tell: before Windows 7, and for a window that is gone.
// Wine answers 0 whatever was set.
std::optional<std::uint32_t> DisplayAffinityOf(HWND window);
