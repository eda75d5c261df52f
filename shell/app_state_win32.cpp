#include "shell/app_state.h"

#include "capture/capture_rect.h"

AppState g_app = {
    .instance = nullptr,
    .gdiplusToken = 0,
    .settings = {},
    .iniPath = {},
    .programFolder = {},
    .tray = {},
    .aboutBoxOpen = 0,
    .captureBusy = 0,
    .isWindows7 = -1,
    .shadowMargin = kCaptureMargin,
    .trayAttempts = 0,
    .lastSaved = {},
    .transfers = {},
    .displays = {},
};
