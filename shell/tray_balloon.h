#pragma once

#include <windows.h>

// Shows `text` in a balloon from the program's tray icon, with its title
// "Lucidframe" and without a sound. Lines are separated by '\n'; the text is
// cut at the balloon's 255 characters. An empty text shows nothing.
void ShowBalloon(HWND window, wchar_t const* text);

// Opens the folder that holds `file` in Explorer with the file selected; does
// nothing for an empty path.
void OpenFolderAndSelect(wchar_t const* file);
