#include "shell/hot_key_dialog.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/hot_key_registration.h"
#include "shell/settings_file.h"

namespace {

// What the dialog works with, handed to it through DialogBoxParamW.
struct HotKeyChoice {
    HWND host;
    UiLanguage language;
    HotKey hotKey;     // the settings' key; once the dialog ends with IDOK, the one chosen
    bool registered;   // whether `hotKey` is registered now: start-up may have found it held
    WORD shownAtStart; // the control's value for it
};

// The hot-key control speaks in HOTKEYF_ flags and cannot show Win.
WORD ControlValueOf(HotKey hotKey)
{
    BYTE const flags = static_cast<BYTE>(((hotKey.modifiers & MOD_ALT) != 0 ? HOTKEYF_ALT : 0) |
                                         ((hotKey.modifiers & MOD_CONTROL) != 0 ? HOTKEYF_CONTROL : 0) |
                                         ((hotKey.modifiers & MOD_SHIFT) != 0 ? HOTKEYF_SHIFT : 0));
    return MAKEWORD(static_cast<BYTE>(hotKey.key), flags);
}

HotKey HotKeyOf(WORD controlValue)
{
    BYTE const flags = HIBYTE(controlValue);
    std::uint32_t const modifiers = ((flags & HOTKEYF_ALT) != 0 ? MOD_ALT : 0) |
                                    ((flags & HOTKEYF_CONTROL) != 0 ? MOD_CONTROL : 0) |
                                    ((flags & HOTKEYF_SHIFT) != 0 ? MOD_SHIFT : 0);
    return {modifiers, LOBYTE(controlValue)};
}

UiText ProblemText(HotKeyProblem problem)
{
    switch (problem) {
    case HotKeyProblem::NoKey:
        return UiText::HotKeyDialogNoKey;
    case HotKeyProblem::NeedsModifier:
        return UiText::HotKeyDialogNeedsModifier;
    default:
        return UiText::HotKeyDialogUnknownKey;
    }
}

void OnInitHotKeyDialog(HWND dialog, HotKeyChoice const& choice)
{
    SetWindowTextW(dialog, Text(UiText::HotKeyDialogTitle, choice.language).data());
    SetDlgItemTextW(dialog, IDC_HOT_KEY_PROMPT, Text(UiText::HotKeyDialogPrompt, choice.language).data());
    SetDlgItemTextW(dialog, IDOK, Text(UiText::ButtonOk, choice.language).data());
    SetDlgItemTextW(dialog, IDCANCEL, Text(UiText::ButtonCancel, choice.language).data());
    SendDlgItemMessageW(dialog, IDC_HOT_KEY, HKM_SETHOTKEY, choice.shownAtStart, 0);
}

// The key in the control, registered in place of the current one; or, where
// it cannot be, the reason on the dialog's status line and the dialog open.
void OnChooseHotKey(HWND dialog, HotKeyChoice& choice)
{
    WORD const shown = static_cast<WORD>(SendDlgItemMessageW(dialog, IDC_HOT_KEY, HKM_GETHOTKEY, 0, 0));
    // A key with Win, which the control cannot show, stays as it is when the
    // user changes nothing.
    HotKey const chosen = shown == choice.shownAtStart ? choice.hotKey : HotKeyOf(shown);
    HotKeyProblem const problem = CheckHotKey(chosen);
    std::wstring status;
    if (problem != HotKeyProblem::None)
        status = Text(ProblemText(problem), choice.language);
    else if ((chosen != choice.hotKey || !choice.registered) && !ReplaceCaptureHotKey(choice.host, chosen))
        status = Filled(UiText::HotKeyDialogHeld, choice.language, HotKeyText(chosen));
    if (!status.empty()) {
        SetDlgItemTextW(dialog, IDC_HOT_KEY_STATUS, status.c_str());
        return;
    }
    choice.hotKey = chosen;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK HotKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInitHotKeyDialog(dialog, *reinterpret_cast<HotKeyChoice*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnChooseHotKey(dialog, *reinterpret_cast<HotKeyChoice*>(GetWindowLongPtrW(dialog, DWLP_USER)));
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

void ShowHotKeyDialog(HWND host)
{
    HotKey const current = HotKeyOrDefault(g_app.settings.hotKey);
    HotKeyChoice choice = {host, g_app.language, current, g_app.hotKeyId != 0, ControlValueOf(current)};
    if (DialogBoxParamW(g_app.instance, MAKEINTRESOURCEW(IDD_HOT_KEY), host, HotKeyDialogProc,
                        reinterpret_cast<LPARAM>(&choice)) != IDOK)
        return;
    // A stored text that named no key is replaced too, so that start-up
    // stops saying it was ignored.
    std::wstring const& stored = g_app.settings.hotKey;
    std::optional<HotKey> const storedKey = stored.empty() ? std::optional<HotKey>(kDefaultHotKey) : ParseHotKey(stored);
    if (storedKey == choice.hotKey)
        return;
    g_app.settings.hotKey = HotKeyText(choice.hotKey);
    SaveSettingText(kKeyHotKey, g_app.settings.hotKey.c_str(), g_app.iniPath);
}
