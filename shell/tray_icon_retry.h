#pragma once

#include <windows.h>

// The host's one timer: another attempt to show the tray icon.
UINT_PTR const IDT_TRAY_RETRY = 1;
UINT const kTrayRetryIntervalMs = 1000;
// Two minutes of attempts, once a second.
int const kTrayRetryAttempts = 120;

// Puts the icon into the notification area. Started from the Startup folder,
// the program may ask before Explorer's notification area is ready, and no
// "TaskbarCreated" need follow: while the shell does not take the icon, the
// host tries again on its timer, from the first failed attempt on. A call
// while the timer runs starts the count afresh.
void ShowTrayIcon(HWND host);

// The timer's tick: one more attempt.
void OnTrayRetryTimer(HWND host);

// Whether to try again after attempt number `attempts` (the first is 1), which
// did or did not show the icon.
bool TryTrayIconAgain(bool shown, int attempts);
