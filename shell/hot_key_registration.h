#pragma once

#include <windows.h>

#include "shell/hot_key.h"
#include "shell/start_up_notes.h"

// Registers the settings' hot key for `window` at start-up, the default
// where they name none that parses. When another program holds it, the
// warning box says so, as it always has; what else the user should hear of
// the key is returned for the start-up balloon.
StartUpNotes RegisterCaptureHotKey(HWND window);

// Registers `hotKey` for `window` in place of the key registered now, if
// any, which goes only once the new one is in place. False, the old key
// kept, when another program holds the new one.
bool ReplaceCaptureHotKey(HWND window, HotKey hotKey);
