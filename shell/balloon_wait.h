#pragma once

#include <cstdint>
#include <optional>

#include "capture/popups.h"

// Taking a balloon away is asynchronous: Windows 10 and 11 slide the
// notification out over some hundreds of milliseconds, and a capture made
// meanwhile of a window near the notifications' corner copies it in both
// passes. The longest that takes, bounded: a few frames. The capture waits
// only while such a notification stands over what it copies.
std::uint32_t const kBalloonLeaveMs = 500;

// How long a capture waits, once it has taken away the balloon shown
// `shownAgoMs` before, for it to leave the screen: none where no balloon of
// the program was showing, and none for one that left by itself already,
// shown longer ago than notifications stay (`showSeconds`, the user's
// setting) and their slide out. A capture long after the last costs nothing.
std::uint32_t BalloonLeaveWaitMs(std::optional<std::uint64_t> shownAgoMs, std::uint32_t showSeconds);

// Whether `window`, in front of the target and over what the capture copies,
// may be the program's notification on its way out: a visible, topmost window
// of another process than the target's, of the classes the shell shows
// notifications in (Windows 10's and 11's toasts; the tray's balloons of
// Windows 7 and of wine). The target's own tooltips are part of it.
bool IsLeavingNotification(WindowRecord const& window);
