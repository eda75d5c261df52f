#include "output/save_capture_win32.h"

#include <commdlg.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "output/file_replace_win32.h"
#include "output/save_path.h"

namespace {

// One more than MAX_PATH, so that the platform calls, given MAX_PATH, always
// leave a terminator behind.
using PathBuffer = wchar_t[MAX_PATH + 1];

bool AskForPath(HWND ownerWindow, PathBuffer& path)
{
    // The literal's own terminator ends the list with the second NUL.
    static wchar_t const filter[] = L"PNG格式\0*.png\0";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ownerWindow;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"png";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    return GetSaveFileNameW(&dialog) != FALSE;
}

// Where an automatic save goes; with no room for any name in the folder, the
// name it would have had, for the user to be told.
struct AutomaticDestination {
    std::filesystem::path file;
    bool fits;
};

AutomaticDestination ComposeAutomaticPath(const wchar_t* programFolder, HWND targetWindow)
{
    PathBuffer title = {};
    GetWindowTextW(targetWindow, title, MAX_PATH);
    PathCleanupSpec(nullptr, title);
    if (std::optional<std::wstring> const composed = AutomaticCapturePath(programFolder, title))
        return {*composed, true};
    return {std::filesystem::path(programFolder) / (CleanFileTitle(title) + L".png"), false};
}

} // namespace

CaptureSave SaveCaptureFile(SaveMode mode, const wchar_t* programFolder, HWND ownerWindow, HWND targetWindow,
                            std::span<const std::uint8_t> png)
{
    AutomaticDestination destination = {{}, true};
    if (mode != Automatic) {
        PathBuffer chosen = {};
        if (!AskForPath(ownerWindow, chosen))
            return {CaptureSave::Cancelled, {}, ERROR_SUCCESS};
        destination.file = chosen;
    } else {
        destination = ComposeAutomaticPath(programFolder, targetWindow);
    }
    if (!destination.fits)
        return {CaptureSave::Failed, destination.file, ERROR_FILENAME_EXCED_RANGE};
    FileWrite const write = WriteFileReplacing(destination.file, png, WhenHeld::WriteBeside);
    return {write.written ? CaptureSave::Saved : CaptureSave::Failed, write.file, write.error};
}
