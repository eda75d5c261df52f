#pragma once

#include <windows.h>

#include "capture/capture_rect.h"

// Shows `text` in a balloon from the program's tray icon, with its title
// "Lucidframe" and without a sound. Lines are separated by '\n'; the text is
// cut at the balloon's 255 characters. An empty text shows nothing.
void ShowBalloon(HWND window, wchar_t const* text);

// Takes a balloon that may still be showing off the screen, so that the next
// capture does not hold it: it stands in front of every window. Returns the
// tick count (GetTickCount64) until which it may still be leaving the
// screen, 0 where none was shown recently (balloon_wait.h).
ULONGLONG HideBalloon(HWND window);

// Waits, until `leavesBy` at the latest, while a notification on its way out
// stands in front of `target` over `area`, the rectangle a capture copies.
void WaitForNotificationToLeave(HWND target, CaptureRect area, ULONGLONG leavesBy);

// Opens the folder that holds `file` in Explorer with the file selected; does
// nothing for an empty path.
void OpenFolderAndSelect(wchar_t const* file);

// Opens `folder` itself in Explorer.
void OpenFolder(wchar_t const* folder);
