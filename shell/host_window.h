#pragma once

#include <windows.h>

// The tray icon's callback message. From the application's own range: the
// host is a dialog, and WM_USER + n are the dialog manager's (WM_USER itself
// is DM_GETDEFID).
UINT const WM_TRAYNOTIFY = WM_APP + 1;
// The hot key is registered under this identifier at start-up; the
// delayed-capture menu command shares it.
int const HOTKEY_ID = 1000;

// The dialog procedure of the hidden host window: every event of the program
// enters here.
INT_PTR CALLBACK HostDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True on Windows version 6.1 exactly; asked once, then cached in g_app.
bool IsWindows7();

// The modifiers a hot key of `modifiers` is registered with: MOD_NOREPEAT
// joins them on version 6.1 only.
UINT HotKeyModifiers(UINT modifiers);
