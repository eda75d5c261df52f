#include "output/save_capture.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cwchar>
#include <optional>
#include <string>

#include "output/png_writer.h"
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

bool ComposeAutomaticPath(const wchar_t* programFolder, HWND targetWindow, PathBuffer& path)
{
    PathBuffer title = {};
    GetWindowTextW(targetWindow, title, MAX_PATH);
    PathCleanupSpec(nullptr, title);
    std::optional<std::wstring> const composed = AutomaticCapturePath(programFolder, title);
    if (!composed)
        return false;
    std::wmemcpy(path, composed->c_str(), composed->size() + 1);
    return true;
}

} // namespace

void SaveCaptureFile(SaveMode mode, const wchar_t* programFolder, HWND ownerWindow, HWND targetWindow,
                     const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    PathBuffer path = {};
    bool const chosen = mode != Automatic ? AskForPath(ownerWindow, path)
                                          : ComposeAutomaticPath(programFolder, targetWindow, path);
    if (chosen)
        WritePng(path, pixels, width, height);
}
