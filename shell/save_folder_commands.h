#pragma once

#include <windows.h>

// "Save folder…": the system's folder picker, owned by `host`, opened in the
// save folder of the moment; the folder chosen becomes the setting, stored
// at once. Cancelling changes nothing.
void ChooseSaveFolder(HWND host);

// "Open the save folder": the save folder in Explorer, made first where the
// settings name one that is missing. A folder that cannot be opened is told
// in a balloon with the system's reason.
void OpenSaveFolder(HWND host);
