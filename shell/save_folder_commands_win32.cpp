#include "shell/save_folder_commands.h"

#include <shobjidl.h>

#include <string>

#include "base/com_apartment_win32.h"
#include "base/system_message_win32.h"
#include "base/wide_text.h"
#include "output/save_folder_win32.h"
#include "shell/app_state.h"
#include "shell/capture_outcome.h"
#include "shell/settings_file.h"
#include "shell/tray_balloon.h"

namespace {

// Enough of a stored folder for the user to recognise it in the balloon.
std::size_t const kFolderInBalloon = 120;

// The folder the user picks, starting in `start` where it stands; empty
// when the picker is cancelled.
std::wstring PickFolder(HWND owner, std::wstring const& start, UiLanguage language)
{
    std::wstring picked;
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))))
        return picked;
    DWORD options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    dialog->SetTitle(Text(UiText::SaveFolderPickerTitle, language).data());
    IShellItem* startItem = nullptr;
    if (!start.empty() && SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_PPV_ARGS(&startItem)))) {
        dialog->SetFolder(startItem);
        startItem->Release();
    }
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
        PWSTR path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
            picked = path;
            CoTaskMemFree(path);
        }
        item->Release();
    }
    dialog->Release();
    return picked;
}

} // namespace

void ChooseSaveFolder(HWND host)
{
    ComApartment const apartment;
    ResolvedFolder const current = ResolveSaveFolder(g_app.settings.saveFolder, g_app.programFolder);
    std::wstring const picked = PickFolder(host, current.path, g_app.language);
    if (picked.empty())
        return;
    g_app.settings.saveFolder = picked;
    SaveSettingText(kKeySaveFolder, picked.c_str(), g_app.iniPath);
}

void OpenSaveFolder(HWND host)
{
    Settings const& settings = g_app.settings;
    ResolvedFolder const folder = ResolveSaveFolder(settings.saveFolder, g_app.programFolder);
    DWORD const error =
        folder.error == ERROR_SUCCESS && !settings.saveFolder.empty() ? MakeFolder(folder.path) : folder.error;
    if (error == ERROR_SUCCESS) {
        OpenFolder(folder.path.c_str());
        return;
    }
    std::wstring const named = CutAtEnd(folder.path.empty() ? settings.saveFolder : folder.path, kFolderInBalloon);
    std::wstring const text = Filled(UiText::SaveFolderNotOpened, g_app.language, named) + L'\n' + SystemMessage(error);
    ShowBalloon(host, CutAtEnd(text, kBalloonTextLength).c_str());
}
