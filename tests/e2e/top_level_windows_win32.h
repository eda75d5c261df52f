#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The first top-level window for which `matches` holds, or null.
HWND FindTopLevelWindow(std::function<bool(HWND)> const& matches);

bool HasClass(HWND window, wchar_t const* className);
bool HasTitle(HWND window, wchar_t const* title);
DWORD ProcessOf(HWND window);

// A visible window of the class, owned by `owner`.
HWND FindOwnedWindow(HWND owner, wchar_t const* className);

// The visible top-level windows of the process, in a fixed order.
std::vector<HWND> VisibleWindowsOf(DWORD processId);

// Whether Lucidframe's host window stands as a backdrop: shown, over more
// than one pixel of the screen. Between captures the host stays shown, off
// every monitor.
bool ShowsAsBackdrop(HWND host);

// The foreground window and every visible top-level window, by class, title
// and process: what a failed wait for a window reports.
std::string DescribeDesktop();
