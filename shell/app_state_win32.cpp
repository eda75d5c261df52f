#include "shell/app_state.h"

#include "capture/capture_rect.h"
#include "shell/host_window.h"

AppState g_app = {
    .instance = nullptr,
    .gdiplusToken = 0,
    .settings = {},
    .language = UiLanguage::Chinese,
    .iniPath = {},
    .programFolder = {},
    .tray = {},
    .aboutBoxOpen = 0,
    .settingsDialogOpen = 0,
    .hotKeyId = HOTKEY_ID,
    .captureBusy = 0,
    .isWindows7 = -1,
    .shadowMargin = kCaptureMargin,
    .trayAttempts = 0,
    .balloonShownAt = 0,
    .lastSaved = {},
    .transfers = {},
    .displays = {},
};
