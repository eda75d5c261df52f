#include "shell/tray_balloon.h"

#include <shellapi.h>
#include <shlobj.h>

#include "shell/app_state.h"

void ShowBalloon(HWND window, wchar_t const* text)
{
    if (text == nullptr || *text == L'\0')
        return;
    // A copy of the tray record, so that the text is not shown again when the
    // icon is added anew (after a restart of the shell).
    NOTIFYICONDATAW balloon = g_app.tray;
    balloon.hWnd = window;
    balloon.uFlags |= NIF_INFO;
    lstrcpynW(balloon.szInfo, text, ARRAYSIZE(balloon.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

void OpenFolderAndSelect(wchar_t const* file)
{
    if (file == nullptr || *file == L'\0')
        return;
    // The shell's folder windows run on this thread's COM apartment.
    HRESULT const initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(file)) {
        SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
}
