#pragma once

#include <windows.h>

// The tray icon's callback message.
UINT const WM_TRAYNOTIFY = WM_USER;
// Ctrl+PrtSc is registered under this identifier; the delayed-capture menu
// command shares it.
int const HOTKEY_ID = 1000;

// The dialog procedure of the hidden host window: every event of the program
// enters here.
INT_PTR CALLBACK HostDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True on Windows version 6.1 exactly; asked once, then cached in g_app.
bool IsWindows7();

// The modifiers Ctrl+PrtSc is registered with: MOD_NOREPEAT joins MOD_CONTROL
// on version 6.1 only.
UINT HotKeyModifiers();
