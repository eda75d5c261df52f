#include "shell/tray_menu.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "base/system_function_win32.h"
#include "shell/app_state.h"
#include "shell/host_window.h"
#include "shell/hot_key.h"
#include "shell/hot_key_dialog.h"
#include "shell/save_folder_commands.h"
#include "shell/settings_file.h"

namespace {

UINT const kTrayIconId = 1;
UINT const kBalloonTimeout = 3;
DWORD const kCaptureDelayMs = 3000;

// The options of 其它设置, in the submenu's order: each item flips its flag
// and writes its key.
struct OptionItem {
    UINT id;
    std::uint8_t Settings::*flag;
    wchar_t const* key;
    UiText text;
};
OptionItem const kOptionItems[] = {
    {IDM_AUTO_CROP, &Settings::autoCrop, kKeyAutoCrop, UiText::MenuAutoCrop},
    {IDM_INCLUDE_CURSOR, &Settings::includeCursor, kKeyIncludeCursor, UiText::MenuIncludeCursor},
    {IDM_CHECKERBOARD, &Settings::checkerboard, kKeyCheckerboard, UiText::MenuCheckerboard},
    {IDM_COPY_TO_CLIPBOARD, &Settings::copyToClipboard, kKeyCopyToClipboard, UiText::MenuCopyToClipboard},
    {IDM_TIMESTAMP_NAMES, &Settings::timestampNames, kKeyTimestampNames, UiText::MenuTimestampNames},
};

UINT CheckedIf(std::uint8_t flag)
{
    return flag != 0 ? MF_CHECKED : MF_UNCHECKED;
}

// Flips the option of menu item `id`; false when `id` is no option.
bool ToggleOption(UINT id)
{
    auto const item = std::find_if(std::begin(kOptionItems), std::end(kOptionItems),
                                   [id](OptionItem const& option) { return option.id == id; });
    if (item == std::end(kOptionItems))
        return false;
    ToggleSettingFlag(g_app.settings.*item->flag, item->key, g_app.iniPath);
    return true;
}

// The two save methods behave as a radio pair: choosing the checked one keeps
// it, and only a real change is written to the settings file.
void ChooseSaveMode(SaveMode mode)
{
    if (g_app.settings.saveMode != mode) {
        ToggleSettingFlag(g_app.settings.saveMode, kKeySaveMode, g_app.iniPath);
    }
}

void ShowAboutBox(HWND window)
{
    std::wstring const text =
        Filled(UiText::AboutText, g_app.language, HotKeyText(HotKeyOrDefault(g_app.settings.hotKey)));
    MessageBoxW(window, text.c_str(), Text(UiText::AboutTitle, g_app.language).data(), MB_ICONINFORMATION);
}

// A dialog's modal loop still delivers tray clicks, so the menu can ask for a
// second one while the first is open: `guard` lets one open at a time.
void OneAtATime(LONG& guard, void (*show)(HWND), HWND window)
{
    if (guard != 0)
        return;
    guard = 1;
    show(window);
    guard = 0;
}

// Where a menu string wants a pointer to its text.
wchar_t const* Words(UiText text, UiLanguage language)
{
    return Text(text, language).data();
}

// The tray's icon at the small-icon size of the display's scaling now, from
// the icon's several sizes: a 16x16 image alone is scaled up, blurred, at
// 125 % and more. LoadIconMetric scales down from the next size up where
// none matches; comctl32 before version 6 lacks it, and LoadImage picks the
// nearest size there.
HICON LoadTrayIcon()
{
    using LoadIconMetricFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
    static auto const loadIconMetric =
        LookUp<LoadIconMetricFunction>(GetModuleHandleW(L"comctl32.dll"), "LoadIconMetric");
    HICON icon = nullptr;
    if (loadIconMetric != nullptr && SUCCEEDED(loadIconMetric(g_app.instance, L"APPICON", LIM_SMALL, &icon)))
        return icon;
    return static_cast<HICON>(LoadImageW(g_app.instance, L"APPICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

}  // namespace

bool AddTrayIcon(HWND window)
{
    NOTIFYICONDATAW& tray = g_app.tray;
    // Loaded afresh at each add: the shell re-creates its icons when the
    // display's scaling changes, and the size with it.
    HICON const previous = tray.hIcon;
    tray = {};
    tray.cbSize = sizeof(tray);
    tray.hWnd = window;
    tray.uID = kTrayIconId;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    tray.uCallbackMessage = WM_TRAYNOTIFY;
    tray.hIcon = LoadTrayIcon();
    lstrcpynW(tray.szTip, L"Lucidframe", ARRAYSIZE(tray.szTip));
    tray.uTimeout = kBalloonTimeout;
    lstrcpynW(tray.szInfoTitle, L"Lucidframe", ARRAYSIZE(tray.szInfoTitle));
    tray.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    // Windows also broadcasts "TaskbarCreated" when the display's scaling
    // changes, to a shell that still has the icon; adding it then fails.
    bool const shown = Shell_NotifyIconW(NIM_ADD, &tray) || Shell_NotifyIconW(NIM_MODIFY, &tray);
    if (previous != nullptr)
        DestroyIcon(previous);
    return shown;
}

void RemoveTrayIcon(HWND window)
{
    g_app.tray.hWnd = window;
    g_app.tray.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &g_app.tray);
    if (g_app.tray.hIcon != nullptr)
        DestroyIcon(g_app.tray.hIcon);
    g_app.tray.hIcon = nullptr;
}

void InsertRadioItem(HMENU menu, UINT id, UINT state, wchar_t const* text)
{
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_RADIOCHECK;
    item.fState = (state == 1 || state == 2) ? MFS_CHECKED : state == 3 ? MFS_DISABLED : 0;
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(text);
    // The position is past the end of the menu, so the item is appended.
    InsertMenuItemW(menu, id, TRUE, &item);
}

HMENU BuildTrayMenu(Settings const& settings, UiLanguage language)
{
    HMENU saveMethod = CreatePopupMenu();
    InsertRadioItem(saveMethod, IDM_SAVE_AUTO, settings.saveMode == Automatic, Words(UiText::MenuSaveAutomatically, language));
    InsertRadioItem(saveMethod, IDM_SAVE_MANUAL, settings.saveMode == Manual, Words(UiText::MenuSaveManually, language));
    AppendMenuW(saveMethod, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(saveMethod, MF_STRING, IDM_CHOOSE_SAVE_FOLDER, Words(UiText::MenuChooseSaveFolder, language));
    AppendMenuW(saveMethod, MF_STRING, IDM_OPEN_SAVE_FOLDER, Words(UiText::MenuOpenSaveFolder, language));

    HMENU otherSettings = CreatePopupMenu();
    for (OptionItem const& option : kOptionItems)
        AppendMenuW(otherSettings, MF_STRING | CheckedIf(settings.*option.flag), option.id, Words(option.text, language));
    AppendMenuW(otherSettings, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(otherSettings, MF_STRING, IDM_SET_HOT_KEY, Words(UiText::MenuSetHotKey, language));

    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, IDM_CAPTURE_DELAYED, Words(UiText::MenuCaptureDelayed, language));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(saveMethod), Words(UiText::MenuSaveMethod, language));
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(otherSettings), Words(UiText::MenuOtherSettings, language));
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUT, Words(UiText::MenuAbout, language));
    AppendMenuW(menu, MF_STRING, IDM_EXIT, Words(UiText::MenuExit, language));
    return menu;
}

void ShowTrayMenu(HWND window)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = BuildTrayMenu(g_app.settings, g_app.language);

    // A popup menu closes on a click elsewhere only while its owner is the
    // foreground window.
    SetForegroundWindow(window);
    UINT const command = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, nullptr));
    // Without a message after the menu, the next tray click may close the menu
    // at once instead of opening it.
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);

    OnMenuCommand(window, command);
}

void OnMenuCommand(HWND window, UINT id)
{
    if (ToggleOption(id))
        return;
    switch (id) {
    case IDM_CAPTURE_DELAYED:
        // Time for the user to bring the target to the front. The thread
        // deliberately handles nothing meanwhile; hot keys wait in the queue.
        Sleep(kCaptureDelayMs);
        SendMessageW(window, WM_HOTKEY, HOTKEY_ID, 0);
        break;
    case IDM_SAVE_AUTO:
        ChooseSaveMode(Automatic);
        break;
    case IDM_SAVE_MANUAL:
        ChooseSaveMode(Manual);
        break;
    case IDM_ABOUT:
        OneAtATime(g_app.aboutBoxOpen, ShowAboutBox, window);
        break;
    case IDM_SET_HOT_KEY:
        OneAtATime(g_app.settingsDialogOpen, ShowHotKeyDialog, window);
        break;
    case IDM_CHOOSE_SAVE_FOLDER:
        OneAtATime(g_app.settingsDialogOpen, ChooseSaveFolder, window);
        break;
    case IDM_OPEN_SAVE_FOLDER:
        OpenSaveFolder(window);
        break;
    case IDM_EXIT:
        // WM_DESTROY removes the icon and ends the program.
        DestroyWindow(window);
        break;
    default:
        break;
    }
}
