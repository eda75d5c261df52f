#include "shell/host_window.h"

#include "base/system_function_win32.h"
#include "capture/backdrop_screen_win32.h"
#include "output/clipboard_win32.h"
#include "png/gdiplus_win32.h"
#include "shell/app_state.h"
#include "shell/capture_flow.h"
#include "shell/hot_key_registration.h"
#include "shell/tray_balloon.h"
#include "shell/tray_icon_retry.h"
#include "shell/tray_menu.h"

#include <dwmapi.h>

namespace {

// Explorer broadcasts this when it (re)starts; a restarted shell has
// forgotten every notification icon.
UINT TaskbarCreatedMessage()
{
    static UINT const taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    return taskbarCreated;
}

// Run as administrator, as it must be to capture elevated windows, the
// program sits above Explorer's integrity level, and UIPI drops Explorer's
// messages to the host unless it lets them through. The call came with
// Windows 7; looked up by name, so that the program still starts on Vista.
void LetThroughFromExplorer(HWND window, UINT message)
{
    using ChangeFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
    auto const changeFilter = LookUp<ChangeFilter>(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
    if (changeFilter != nullptr) {
        changeFilter(window, message, MSGFLT_ALLOW, nullptr);
    }
}

// The backdrop must be exactly the picture it is given, where it is put.
// Windows 11 rounds a window's corners and draws a border around it, both
// onto the tag ring; a per-monitor dialog resizes itself, and its fonts, on
// a change of DPI. Each of these is turned off where the system has it; an
// older one refuses the attribute, or lacks the function, and has nothing to
// turn off.
void KeepBackdropUnscaledAndUnframed(HWND window)
{
    DWORD const kCornerPreference = 33; // DWMWA_WINDOW_CORNER_PREFERENCE, Windows 11
    DWORD const kBorderColour = 34;     // DWMWA_BORDER_COLOR, Windows 11
    DWORD const doNotRound = 1;         // DWMWCP_DONOTROUND
    COLORREF const noBorder = 0xFFFFFFFE; // DWMWA_COLOR_NONE
    DwmSetWindowAttribute(window, kCornerPreference, &doNotRound, sizeof(doNotRound));
    DwmSetWindowAttribute(window, kBorderColour, &noBorder, sizeof(noBorder));
    using SetDialogDpiChangeBehaviorFunction =
        BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    auto const setDialogDpiChangeBehavior =
        LookUp<SetDialogDpiChangeBehaviorFunction>(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior");
    if (setDialogDpiChangeBehavior)
        setDialogDpiChangeBehavior(window, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

void OnInitDialog(HWND window)
{
    ShowWindow(window, SW_HIDE);
    // The backdrop must stand in full the moment it is shown: a fade-in
    // would let a screen copy see it half there.
    BOOL const noTransitions = TRUE;
    DwmSetWindowAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, &noTransitions, sizeof(noTransitions));
    KeepBackdropUnscaledAndUnframed(window);
    LetThroughFromExplorer(window, TaskbarCreatedMessage());
    ShowTrayIcon(window);
    SetWindowTextW(window, L"Lucidframe");
    ShowBalloon(window, StartUpBalloonText(RegisterCaptureHotKey(window), g_app.language).c_str());
    PrepareBackdropHost(window);
}

// The dialog manager shows a modal dialog, activated, as soon as its queue
// first goes idle, whatever WM_INITDIALOG did; the host would take the
// foreground from the window the user works in, and the next hot key would
// capture the host. The host shows only without activation: parked, one
// transparent pixel large, and as the backdrop.
void OnWindowPosChanging(WINDOWPOS* position)
{
    if (g_app.captureBusy == 0 && (position->flags & SWP_NOACTIVATE) == 0) {
        position->flags &= ~SWP_SHOWWINDOW;
        position->flags |= SWP_NOACTIVATE;
    }
}

void OnDestroy(HWND window)
{
    RemoveTrayIcon(window);
    Gdiplus::GdiplusShutdown(g_app.gdiplusToken);
    PostQuitMessage(0);
}

// The clipboard's formats of the last capture are made when asked for.
void OnClipboardRequest(HWND window, UINT message, WPARAM format)
{
    if (message == WM_RENDERFORMAT)
        RenderClipboardFormat(static_cast<UINT>(format));
    else if (message == WM_RENDERALLFORMATS)
        RenderAllClipboardFormats(window);
    else
        ForgetClipboardCapture();
}

void OnTrayNotify(HWND window, LPARAM event)
{
    if (event == WM_RBUTTONDOWN)
        ShowTrayMenu(window);
    else if (event == NIN_BALLOONUSERCLICK)
        OpenFolderAndSelect(g_app.lastSaved); // only a balloon that named a saved file leaves one to show
}

}  // namespace

INT_PTR CALLBACK HostDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        OnDestroy(window);
        return TRUE;
    case WM_INITDIALOG:
        OnInitDialog(window);
        return FALSE;
    case WM_WINDOWPOSCHANGING:
        OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));
        return FALSE;
    case WM_DISPLAYCHANGE: // monitors, their arrangement or their colour mode: the next capture asks anew
        g_app.displays.reset();
        return FALSE;
    case WM_HOTKEY: // any identifier captures: the delayed capture sends its own
        CaptureForegroundWindow(window);
        return FALSE;
    case WM_TIMER:
        if (wParam == IDT_TRAY_RETRY)
            OnTrayRetryTimer(window);
        return FALSE;
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
    case WM_DESTROYCLIPBOARD:
        OnClipboardRequest(window, message, wParam);
        return TRUE;
    case WM_TRAYNOTIFY:
        OnTrayNotify(window, lParam);
        return FALSE;
    default:
        if (message == TaskbarCreatedMessage())
            ShowTrayIcon(window);
        return FALSE;
    }
}

bool IsWindows7()
{
    if (g_app.isWindows7 == -1) {
        OSVERSIONINFOW version = {};
        version.dwOSVersionInfoSize = sizeof(version);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but the one call that reports 6.1 as such
#endif
        GetVersionExW(&version);
        g_app.isWindows7 = version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6 &&
                           version.dwMinorVersion == 1;
    }
    return g_app.isWindows7 != 0;
}

UINT HotKeyModifiers(UINT modifiers)
{
    return IsWindows7() ? modifiers | MOD_NOREPEAT : modifiers;
}
