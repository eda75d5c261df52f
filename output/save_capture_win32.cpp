#include "output/save_capture_win32.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "output/file_replace_win32.h"
#include "output/save_folder_win32.h"

namespace {

// One more than MAX_PATH, so that the platform calls, given MAX_PATH, always
// leave a terminator behind.
using PathBuffer = wchar_t[MAX_PATH + 1];

// Numbers tried after a time-stamped name that is taken: a second capture of
// one window in one second gets " (2)".
unsigned const kTimestampedNames = 1000;

// The dialog has no owner: it opens after the capture made the target the
// foreground window, and a dialog owned by the hidden host has no taskbar
// button and may be refused the foreground, so that it would open unseen
// behind the target. A window of its own has a button, and flashes there
// where it cannot come in front.
bool AskForPath(CaptureDestination const& destination, PathBuffer& path)
{
    // The name, its pattern, and the NUL that ends the list.
    std::wstring filter(destination.filterName);
    filter += std::wstring_view(L"\0*.png\0", 7);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = destination.ownFolder && destination.folderError == ERROR_SUCCESS ? destination.folder.c_str() : nullptr;
    dialog.lpstrDefExt = L"png";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    return GetSaveFileNameW(&dialog) != FALSE;
}

std::wstring WindowTitle(HWND targetWindow)
{
    PathBuffer title = {};
    GetWindowTextW(targetWindow, title, MAX_PATH);
    PathCleanupSpec(nullptr, title);
    return title;
}

// Where the capture would have gone, for the user to be told where it
// cannot: its name, in the folder where there is one.
std::filesystem::path IntendedFile(std::wstring const& folder, std::wstring const& title)
{
    return std::filesystem::path(folder) / (CleanFileTitle(title) + L".png");
}

CaptureSave SaveAutomatically(CaptureDestination const& destination, HWND targetWindow, std::span<const std::uint8_t> png)
{
    std::wstring const title = WindowTitle(targetWindow);
    DWORD const folderError =
        destination.ownFolder && destination.folderError == ERROR_SUCCESS ? MakeFolder(destination.folder) : destination.folderError;
    if (folderError != ERROR_SUCCESS)
        return {CaptureSave::Failed, IntendedFile(destination.folder, title), folderError};
    if (!destination.stamp) {
        std::optional<std::wstring> const path = AutomaticCapturePath(destination.folder, title);
        if (!path)
            return {CaptureSave::Failed, IntendedFile(destination.folder, title), ERROR_FILENAME_EXCED_RANGE};
        FileWrite const write = WriteFileReplacing(*path, png, WhenHeld::WriteBeside);
        return {write.written ? CaptureSave::Saved : CaptureSave::Failed, write.file, write.error};
    }
    for (unsigned number = 1; number <= kTimestampedNames; ++number) {
        std::optional<std::wstring> const path = TimestampedCapturePath(destination.folder, title, *destination.stamp, number);
        if (!path)
            break;
        FileWrite const write = WriteFileReplacing(*path, png, WhenHeld::FailIfExists);
        if (write.written || write.error != ERROR_ALREADY_EXISTS)
            return {write.written ? CaptureSave::Saved : CaptureSave::Failed, write.file, write.error};
    }
    return {CaptureSave::Failed, IntendedFile(destination.folder, title), ERROR_FILENAME_EXCED_RANGE};
}

} // namespace

CaptureSave SaveCaptureFile(CaptureDestination const& destination, HWND targetWindow, std::span<const std::uint8_t> png)
{
    if (destination.mode == Automatic)
        return SaveAutomatically(destination, targetWindow, png);
    PathBuffer chosen = {};
    if (!AskForPath(destination, chosen))
        return {CaptureSave::Cancelled, {}, ERROR_SUCCESS};
    FileWrite const write = WriteFileReplacing(chosen, png, WhenHeld::WriteBeside);
    return {write.written ? CaptureSave::Saved : CaptureSave::Failed, write.file, write.error};
}
