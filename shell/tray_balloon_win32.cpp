#include "shell/tray_balloon.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/com_apartment_win32.h"
#include "capture/popups_win32.h"
#include "shell/app_state.h"
#include "shell/balloon_wait.h"

namespace {

// About one frame of a 60 Hz display: the notification moves once a frame.
DWORD const kFrameMs = 16;

// How long notifications stay on the screen, the user's setting (Ease of
// Access); Windows' own 5 seconds where the system cannot tell.
std::uint32_t NotificationSeconds()
{
    ULONG seconds = 0;
    if (!SystemParametersInfoW(SPI_GETMESSAGEDURATION, 0, &seconds, 0) || seconds == 0)
        return 5;
    return seconds;
}

void SetBalloonText(HWND window, wchar_t const* text)
{
    // A copy of the tray record, so that the text is not shown again when the
    // icon is added anew (after a restart of the shell).
    NOTIFYICONDATAW balloon = g_app.tray;
    balloon.hWnd = window;
    balloon.uFlags |= NIF_INFO;
    lstrcpynW(balloon.szInfo, text, ARRAYSIZE(balloon.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

} // namespace

void ShowBalloon(HWND window, wchar_t const* text)
{
    if (text == nullptr || *text == L'\0')
        return;
    SetBalloonText(window, text);
    // Never 0, which means none: the tick count is 0 only in the first
    // moment after the system starts.
    g_app.balloonShownAt = std::max<ULONGLONG>(GetTickCount64(), 1);
}

// An empty text with NIF_INFO takes the balloon away; the notification then
// slides out, which the wait lets it finish (balloon_wait.h).
ULONGLONG HideBalloon(HWND window)
{
    if (g_app.balloonShownAt == 0)
        return 0;
    SetBalloonText(window, L"");
    ULONGLONG const now = GetTickCount64();
    std::uint32_t const waitMs = BalloonLeaveWaitMs(now - g_app.balloonShownAt, NotificationSeconds());
    g_app.balloonShownAt = 0;
    return waitMs == 0 ? 0 : now + waitMs;
}

void WaitForNotificationToLeave(HWND target, CaptureRect area, ULONGLONG leavesBy)
{
    auto const standsOver = [&] {
        std::vector<WindowRecord> const windows = WindowsInFrontOf(target, area);
        return std::any_of(windows.begin(), windows.end(), IsLeavingNotification);
    };
    while (GetTickCount64() < leavesBy && standsOver())
        Sleep(kFrameMs);
}

void OpenFolderAndSelect(wchar_t const* file)
{
    if (file == nullptr || *file == L'\0')
        return;
    ComApartment const apartment;
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(file)) {
        SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
    }
}

void OpenFolder(wchar_t const* folder)
{
    ComApartment const apartment;
    ShellExecuteW(nullptr, L"open", folder, nullptr, nullptr, SW_SHOWNORMAL);
}
