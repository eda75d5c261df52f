#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/capture_rect.h"

// A top-level window as the capture sees it beside its target, in plain
// terms so that the choice of popups can be made and tested anywhere.
struct WindowRecord {
    std::wstring className;
    std::uint32_t style = 0;   // WS_ bits
    bool visible = false;
    bool targetProcess = false; // made by the target's process, by any of its threads
    bool ownedByTarget = false; // the target is among its owners
    CaptureRect rect = {0, 0, 0, 0};
    bool topmost = false;
    bool cloaked = false;       // on another virtual desktop: it shows nothing, though visible
};

// Whether `window` is one of the target's open transient popups, which the
// user sees as part of the target and a capture takes in: a visible window
// of the target's process, made by any of its threads, without a caption,
// that is a menu or submenu ("#32768"), a tooltip, the list of a combo box
// or of auto-complete, a menu's shadow ("SysShadow"), a XAML popup (Windows
// 11's context menus), a Firefox menu, or any other popup the target owns,
// as Chromium's and Electron's menus are, which may belong to another
// thread. Its owned dialogs, tool windows with a caption, caption-less
// windows it neither owns nor names by class (another window's overlay) and
// every window of another process are not.
bool IsTransientPopup(WindowRecord const& window);

// Whether a capture asked for `foreground` captures its root owner instead,
// with its popups: the foreground window is itself one of those popups (a
// menu, a XAML popup's bridge window of no size or off the screen), which
// alone would save a menu, or nothing at all. `screen` bounds every monitor.
bool CapturesOwnerInstead(WindowRecord const& foreground, CaptureRect screen);

// The target's window rectangle grown to hold every transient popup among
// `windows` (their rectangles, not their shadows).
CaptureRect WithPopups(CaptureRect target, std::vector<WindowRecord> const& windows);

// Whether any of `windows` is one of the target's transient popups.
bool HasPopupsOpen(std::vector<WindowRecord> const& windows);

// Whether the target owns a visible topmost window among `windows`: a tool
// palette or mini player kept "always on top", which loses that state when
// its owner is made non-topmost.
bool OwnsTopmostWindow(std::vector<WindowRecord> const& windows);
