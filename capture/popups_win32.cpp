#include "capture/popups_win32.h"

#include <dwmapi.h>

namespace {

// A window on another virtual desktop is cloaked: it shows nothing, yet
// IsWindowVisible says it is visible. Before Windows 8 the attribute is
// unknown and nothing is cloaked.
bool IsCloaked(HWND window)
{
    DWORD cloaked = 0;
    return SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked != 0;
}


DWORD ProcessOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// Whether `owner` is among the owners of `window`, however far up.
bool IsOwnedBy(HWND window, HWND owner)
{
    for (HWND up = GetWindow(window, GW_OWNER); up != nullptr; up = GetWindow(up, GW_OWNER)) {
        if (up == owner)
            return true;
    }
    return false;
}

WindowRecord RecordOf(HWND window, HWND target)
{
    WindowRecord record;
    wchar_t className[64] = {};
    GetClassNameW(window, className, ARRAYSIZE(className));
    record.className = className;
    record.style = static_cast<std::uint32_t>(GetWindowLongPtrW(window, GWL_STYLE));
    record.visible = IsWindowVisible(window) != FALSE;
    record.targetProcess = ProcessOf(window) == ProcessOf(target);
    record.ownedByTarget = IsOwnedBy(window, target);
    RECT rect = {};
    GetWindowRect(window, &rect);
    record.rect = {rect.left, rect.top, rect.right, rect.bottom};
    record.topmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    record.cloaked = IsCloaked(window);
    return record;
}

} // namespace

std::vector<WindowRecord> PopupCandidatesOf(HWND target)
{
    // The process first: a full record asks the system for much more, and
    // most windows in front of the target are other programs'.
    DWORD const targetProcess = ProcessOf(target);
    std::vector<WindowRecord> windows;
    for (HWND window = GetWindow(target, GW_HWNDPREV); window != nullptr; window = GetWindow(window, GW_HWNDPREV)) {
        if (ProcessOf(window) == targetProcess && IsWindowVisible(window))
            windows.push_back(RecordOf(window, target));
    }
    return windows;
}

HWND CaptureTargetFor(HWND foreground, CaptureRect screen)
{
    // Only a real owner of the same program, one the user sees: a window
    // with no owner may be answered with the desktop, and a hidden window
    // parked off the screen (as the host waits) is no popup of it.
    HWND const owner = GetAncestor(foreground, GA_ROOTOWNER);
    if (owner == nullptr || owner == foreground || owner == GetDesktopWindow() || !IsWindowVisible(owner) ||
        ProcessOf(owner) != ProcessOf(foreground) || !CapturesOwnerInstead(RecordOf(foreground, owner), screen))
        return foreground;
    return owner;
}

std::vector<WindowRecord> WindowsInFrontOf(HWND target, CaptureRect area)
{
    // The rectangle first: a full record asks the system for much more.
    std::vector<WindowRecord> windows;
    for (HWND window = GetWindow(target, GW_HWNDPREV); window != nullptr; window = GetWindow(window, GW_HWNDPREV)) {
        RECT rect = {};
        if (IsWindowVisible(window) && GetWindowRect(window, &rect) &&
            HasPixels(Intersection({rect.left, rect.top, rect.right, rect.bottom}, area)))
            windows.push_back(RecordOf(window, target));
    }
    return windows;
}
