#pragma once

#include <windows.h>

#include "shell/settings.h"
#include "shell/ui_text.h"

// Tray menu commands. 1000 is also the hot-key identifier: the delayed capture
// sends WM_HOTKEY with it.
UINT const IDM_CAPTURE_DELAYED = 1000;
UINT const IDM_SAVE_AUTO = 1002;
UINT const IDM_SAVE_MANUAL = 1003;
UINT const IDM_AUTO_CROP = 1004;
UINT const IDM_INCLUDE_CURSOR = 1005;
UINT const IDM_CHECKERBOARD = 1006;
UINT const IDM_ABOUT = 1007;
UINT const IDM_EXIT = 1008;
UINT const IDM_COPY_TO_CLIPBOARD = 1009;
UINT const IDM_TIMESTAMP_NAMES = 1010;
UINT const IDM_SET_HOT_KEY = 1011;
UINT const IDM_CHOOSE_SAVE_FOLDER = 1012;
UINT const IDM_OPEN_SAVE_FOLDER = 1013;

// Puts the program's icon into the notification area, owned by `window`.
// True when the shell shows it: it took the icon, or it has it already.
bool AddTrayIcon(HWND window);

// Takes the icon out of the notification area again.
void RemoveTrayIcon(HWND window);

// Opens the tray menu at the cursor and carries out the chosen command.
void ShowTrayMenu(HWND window);

// The tray menu as it looks for `settings`, in `language`; the caller
// destroys it.
HMENU BuildTrayMenu(Settings const& settings, UiLanguage language);

// Appends a radio item: state 1 or 2 checks it, 3 disables it, anything else
// leaves it plain.
void InsertRadioItem(HMENU menu, UINT id, UINT state, wchar_t const* text);

// Carries out one tray menu command; 0 (a dismissed menu) and unknown
// identifiers do nothing.
void OnMenuCommand(HWND window, UINT id);
