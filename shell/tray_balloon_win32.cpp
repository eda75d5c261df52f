#include "shell/tray_balloon.h"

#include <shellapi.h>
#include <shlobj.h>

#include "base/com_apartment_win32.h"
#include "shell/app_state.h"

namespace {

// Whether a balloon of ours may still be on the screen: Windows 10 and later
// show it as a notification for as long as the user's settings say.
bool balloonShown = false;

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
    balloonShown = true;
}

// An empty text with NIF_INFO takes the balloon away.
void HideBalloon(HWND window)
{
    if (!balloonShown)
        return;
    SetBalloonText(window, L"");
    balloonShown = false;
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
