#pragma once

#include <windows.h>

// Shows `text` in a balloon from the program's tray icon, with its title
// "Lucidframe" and without a sound. Lines are separated by '\n'; the text is
// cut at the balloon's 255 characters. An empty text shows nothing.
void ShowBalloon(HWND window, wchar_t const* text);

// Takes a balloon that may still be showing off the screen, so that the next
// capture does not hold it: it stands in front of every window. Returns once
// it has had time to leave, where it was shown recently (balloon_wait.h).
void HideBalloon(HWND window);

// Opens the folder that holds `file` in Explorer with the file selected; does
// nothing for an empty path.
void OpenFolderAndSelect(wchar_t const* file);

// Opens `folder` itself in Explorer.
void OpenFolder(wchar_t const* folder);
