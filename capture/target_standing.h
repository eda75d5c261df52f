#pragma once

#include "capture/capture_rect.h"
#include "capture/popups.h"

#include <optional>
#include <vector>

// Where the target stands once it is raised and the backdrop is put behind
// it, in plain terms, so that what the copies can show is decided anywhere.
// With no window in front at all, the backdrop is all there is to copy: it
// stands where the target would, with nothing over it.
struct TargetStanding {
    bool keepsItsOwnPlace = false;      // the desktop or the taskbar: they stay where they are, whatever they are asked
    bool backdropDirectlyBehind = true; // the window right behind the target is the backdrop
    std::vector<WindowRecord> inFront;  // the visible windows above the target, nearest first
};

// What of `frame` (on the screen) the backdrop cannot show: the parts that
// topmost windows and windows the target owns cover, which are copied as
// they stand. The target's popups are part of the capture, over the
// backdrop like the target itself, and windows on another virtual desktop
// show nothing. None when the raises did not bring the target to stand
// directly above the backdrop with nothing else over it: an elevated
// window seen from an unelevated program, or one that filters its z-order
// changes, stays where it was, and a copy would pass the window over it off
// as the target. The desktop and the taskbar are copied as they stand: the
// backdrop may then stand anywhere, so none of the frame is its to show.
std::optional<std::vector<CaptureRect>> UnseenParts(TargetStanding const& standing, CaptureRect frame);
