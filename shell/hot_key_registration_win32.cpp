#include "shell/hot_key_registration.h"

#include "base/system_function_win32.h"
#include "shell/app_state.h"
#include "shell/host_window.h"

#include <optional>
#include <string>

namespace {

// A window registers each hot key under an identifier of its own, and a
// second key under the first one's identifier would only join it: a new key
// takes the identifier the current one does not use. WM_HOTKEY captures
// whatever the identifier.
int const kOtherHotKeyId = HOTKEY_ID + 1;
static_assert(kOtherHotKeyId != 0 && HOTKEY_ID != 0, "0 stands for no key registered");

// Windows 11's "Use the Print screen key to open screen capture", where the
// user has set it.
std::optional<std::uint32_t> PrintScreenForSnippingSetting()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled", RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// The build of Windows as it is, which GetVersionExW hides from a program
// whose manifest does not name the newest systems.
std::uint32_t WindowsBuild()
{
    using GetVersionFunction = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    auto const getVersion = LookUp<GetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    RTL_OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (getVersion == nullptr || getVersion(&version) != 0)
        return 0;
    return version.dwBuildNumber;
}

bool Register(HWND window, int id, HotKey hotKey)
{
    return RegisterHotKey(window, id, HotKeyModifiers(hotKey.modifiers), hotKey.key) != FALSE;
}

} // namespace

StartUpNotes RegisterCaptureHotKey(HWND window)
{
    StartUpNotes notes;
    std::wstring const& stored = g_app.settings.hotKey;
    if (!stored.empty() && !ParseHotKey(stored))
        notes.ignoredHotKey = stored;
    HotKey const hotKey = HotKeyOrDefault(stored);
    if (!Register(window, g_app.hotKeyId, hotKey)) {
        g_app.hotKeyId = 0;
        notes.heldHotKey = HotKeyText(hotKey);
        MessageBoxW(window, Filled(UiText::HotKeyWarning, g_app.language, notes.heldHotKey).c_str(),
                    Text(UiText::HotKeyWarningTitle, g_app.language).data(), MB_ICONWARNING);
    }
    notes.windowsMayTakePrintScreen = WindowsMayTakePrintScreen(hotKey, PrintScreenForSnippingSetting(), WindowsBuild());
    return notes;
}

bool ReplaceCaptureHotKey(HWND window, HotKey hotKey)
{
    int const id = g_app.hotKeyId == HOTKEY_ID ? kOtherHotKeyId : HOTKEY_ID;
    if (!Register(window, id, hotKey))
        return false;
    UnregisterHotKey(window, g_app.hotKeyId);
    g_app.hotKeyId = id;
    return true;
}
