#pragma once

#include <cstdint>
#include <optional>

// Whether a window with display affinity `affinity` (GetWindowDisplayAffinity)
// can be captured at all. WDA_MONITOR (1) shows it black in every copy of the
// screen and WDA_EXCLUDEFROMCAPTURE (0x11, Windows 10 2004 on) leaves it out
// of them: the copies over black and white would save it black, or never
// agree until "kept changing". Any other value that is not zero is a later
// kind of the same protection. No answer (before Windows 7, or a window gone)
// protects nothing.
bool AffinityAllowsCapture(std::optional<std::uint32_t> affinity);
