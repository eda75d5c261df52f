#include "tests/e2e/owned_dialogs_win32.h"

#include "tests/e2e/top_level_windows_win32.h"

#include "res/resource.h"

#include <commctrl.h>
#include <dlgs.h>

namespace {

DWORD const kDialogTimeoutMs = 5000;
wchar_t const kDialogClass[] = L"#32770";
// A message box's text is the static control with this identifier.
int const kMessageBoxText = 0xFFFF;

// The file name box: the edit inside the name combo box of the Explorer
// layout, however deep the dialog nests it, or the plain edit of the older
// layout.
struct NameBoxSearch {
    HWND dialog;
    HWND found;
};

bool InsideNameControl(HWND window, HWND dialog)
{
    for (; window != nullptr && window != dialog; window = GetParent(window)) {
        int const id = GetDlgCtrlID(window);
        if (id == cmb13 || id == edt1)
            return true;
    }
    return false;
}

BOOL CALLBACK TestForNameBox(HWND window, LPARAM lParam)
{
    NameBoxSearch* search = reinterpret_cast<NameBoxSearch*>(lParam);
    if (!HasClass(window, L"Edit") || !InsideNameControl(window, search->dialog))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FileNameBox(HWND dialog)
{
    NameBoxSearch search = {dialog, nullptr};
    EnumChildWindows(dialog, TestForNameBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PressButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitForFileDialog(HWND owner, ProgramProcess const& app, char const* what)
{
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = FindTopLevelWindow([&](HWND window) {
                return GetWindow(window, GW_OWNER) == owner && ProcessOf(window) == app.id() &&
                       IsWindowVisible(window) && HasClass(window, kDialogClass);
            });
            return dialog != nullptr && FileNameBox(dialog) != nullptr;
        },
        kDialogTimeoutMs, what, {&app});
    return dialog;
}

} // namespace

HWND WaitForSaveDialog(ProgramProcess const& app)
{
    return WaitForFileDialog(nullptr, app, "Save dialog owned by nothing");
}

HWND WaitForFolderPicker(HWND host, ProgramProcess const& app)
{
    return WaitForFileDialog(host, app, "folder picker");
}

void SaveAs(HWND dialog, std::wstring const& path)
{
    SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PressButton(dialog, IDOK);
}

void CancelDialog(HWND dialog)
{
    PressButton(dialog, IDCANCEL);
}

void CloseDialog(HWND dialog)
{
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void WaitForDialogClosed(HWND dialog, ProgramProcess const& app)
{
    WaitUntil([&] { return !IsWindow(dialog); }, kDialogTimeoutMs, "closed dialog", {&app});
}

HWND WaitForHotKeyDialog(HWND host, ProgramProcess const& app)
{
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            dialog = FindOwnedWindow(host, kDialogClass);
            return dialog != nullptr && GetDlgItem(dialog, IDC_HOT_KEY) != nullptr;
        },
        kDialogTimeoutMs, "hot-key dialog", {&app});
    return dialog;
}

void ChooseHotKey(HWND dialog, WORD hotKey)
{
    SendDlgItemMessageW(dialog, IDC_HOT_KEY, HKM_SETHOTKEY, hotKey, 0);
    PressButton(dialog, IDOK);
}

std::wstring WaitForHotKeyDialogStatus(HWND dialog, ProgramProcess const& app)
{
    wchar_t status[256] = {};
    WaitUntil([&] { return GetDlgItemTextW(dialog, IDC_HOT_KEY_STATUS, status, ARRAYSIZE(status)) > 0; },
              kDialogTimeoutMs, "the hot-key dialog's status", {&app});
    return status;
}

std::wstring ReadAndCloseMessageBox(HWND host, wchar_t const* title, ProgramProcess const& app)
{
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = FindOwnedWindow(host, kDialogClass);
            return box != nullptr && HasTitle(box, title);
        },
        kDialogTimeoutMs, "message box", {&app});
    wchar_t text[512] = {};
    GetDlgItemTextW(box, kMessageBoxText, text, ARRAYSIZE(text));
    PressButton(box, IDOK);
    WaitForDialogClosed(box, app);
    return text;
}
