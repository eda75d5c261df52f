#pragma once

#include <windows.h>
#include <shellapi.h>

#include "capture/screen_layout_win32.h"
#include "capture/screen_transfer.h"
#include "shell/settings.h"
#include "shell/ui_text.h"

#include <optional>

// How a monitor that composes in linear light copied the staircase at its
// last capture that could read it: a capture whose ring is hidden goes by it.
struct MonitorTransfer {
    HMONITOR monitor; // null for an empty slot
    ScreenTransfer transfer;
};

// More monitors than this with HDR at once are not expected; the last slot
// serves the rest in turn.
int const kTransfersRemembered = 8;

// The one process-wide record. It lives for the whole process and nothing in it
// is freed. Besides the options, only the capture-busy guard, the shadow
// margin, the monitors' transfers, what the system said of the displays and
// when the last balloon was shown carry from one capture to the next (and
// the host window its last place).
struct AppState {
    HINSTANCE instance;
    ULONG_PTR gdiplusToken;
    Settings settings;
    UiLanguage language; // of the menu, the dialogs and the balloons, chosen once at start-up
    wchar_t iniPath[MAX_PATH];       // empty when the folder leaves no room for the file name
    wchar_t programFolder[MAX_PATH]; // no trailing backslash
    NOTIFYICONDATAW tray;
    LONG aboutBoxOpen;  // 0 or 1
    LONG settingsDialogOpen; // 0 or 1: the hot-key dialog or the folder picker
    LONG hotKeyId;      // the identifier the hot key is registered under now; 0 while none is
    LONG captureBusy;   // 0 or 1
    LONG isWindows7;    // -1 until first asked, then 0 or 1
    LONG shadowMargin;  // the margin the last capture's shadow needed, at 100 % scaling: the next capture's first guess
    LONG trayAttempts;  // attempts to show the tray icon since the last start of them
    ULONGLONG balloonShownAt; // GetTickCount64 when the balloon on the screen was shown; 0 while none is
    wchar_t lastSaved[MAX_PATH]; // the file the last "saved" balloon named, for a click on it
    MonitorTransfer transfers[kTransfersRemembered];
    std::optional<DisplayFacts> displays; // none until a capture asks, and again once the displays change
};

extern AppState g_app;
