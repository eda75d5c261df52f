#include "shell/tray_icon_retry.h"

#include "shell/app_state.h"
#include "shell/tray_menu.h"

namespace {

// One attempt; true when another should follow.
bool AttemptAndAskForAnother(HWND host)
{
    ++g_app.trayAttempts;
    return TryTrayIconAgain(AddTrayIcon(host), g_app.trayAttempts);
}

}  // namespace

void ShowTrayIcon(HWND host)
{
    KillTimer(host, IDT_TRAY_RETRY);
    g_app.trayAttempts = 0;
    if (AttemptAndAskForAnother(host)) {
        SetTimer(host, IDT_TRAY_RETRY, kTrayRetryIntervalMs, nullptr);
    }
}

void OnTrayRetryTimer(HWND host)
{
    if (!AttemptAndAskForAnother(host)) {
        KillTimer(host, IDT_TRAY_RETRY);
    }
}

bool TryTrayIconAgain(bool shown, int attempts)
{
    return !shown && attempts < kTrayRetryAttempts;
}
