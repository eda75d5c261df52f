#pragma once

#include <windows.h>

// "Set hot key": a dialog owned by `host` with the system's hot-key control.
// The key chosen is registered first and stored only once it is; when
// another program holds it, the dialog says so, and the key of before stays.
void ShowHotKeyDialog(HWND host);
