// A build of Lucidframe for the end-to-end rows that read what the tray says:
// linked with --wrap, it appends the text of every balloon it shows to
// balloons.log beside the program, every file a click on a balloon opens to
// opened.log, every folder "Open the save folder" opens to folders.log, and
// the texts of the tray menu's items each time it opens to menus.log, each as
// UTF-8 ending in a NUL byte, and is otherwise the program. Another program
// cannot read a menu's texts under wine.

#include "shell/app_state.h"
#include "shell/tray_balloon.h"
#include "shell/tray_menu.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

void Note(wchar_t const* logName, wchar_t const* text)
{
    wchar_t log[MAX_PATH] = {};
    DWORD const length = GetModuleFileNameW(nullptr, log, MAX_PATH);
    wchar_t* const slash = wcsrchr(log, L'\\');
    if (length == 0 || length >= MAX_PATH || slash == nullptr || slash - log + 1 + std::wcslen(logName) >= MAX_PATH)
        return;
    wcscpy(slash + 1, logName);
    int const bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), bytes, nullptr, nullptr);
    if (FILE* file = _wfopen(log, L"ab")) {
        std::fwrite(utf8.data(), 1, utf8.size(), file); // the terminator included
        std::fclose(file);
    }
}

// Each item as "text", a submenu's items after it as "  text"; a separator
// as "-".
void NoteMenu(HMENU menu, std::wstring const& indent)
{
    int const count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), text, ARRAYSIZE(text), MF_BYPOSITION);
        Note(L"menus.log", (indent + (*text != L'\0' ? text : L"-")).c_str());
        if (HMENU const submenu = GetSubMenu(menu, position))
            NoteMenu(submenu, indent + L"  ");
    }
}

} // namespace

extern "C" void __real__Z11ShowBalloonP6HWND__PKw(HWND window, wchar_t const* text);
extern "C" void __wrap__Z11ShowBalloonP6HWND__PKw(HWND window, wchar_t const* text)
{
    if (text != nullptr && *text != L'\0')
        Note(L"balloons.log", text);
    __real__Z11ShowBalloonP6HWND__PKw(window, text);
}

extern "C" void __wrap__Z19OpenFolderAndSelectPKw(wchar_t const* file)
{
    if (file != nullptr && *file != L'\0')
        Note(L"opened.log", file);
}

extern "C" void __wrap__Z10OpenFolderPKw(wchar_t const* folder)
{
    Note(L"folders.log", folder);
}

// The menu as ShowTrayMenu builds it, at the same moment.
extern "C" void __real__Z12ShowTrayMenuP6HWND__(HWND window);
extern "C" void __wrap__Z12ShowTrayMenuP6HWND__(HWND window)
{
    HMENU const menu = BuildTrayMenu(g_app.settings, g_app.language);
    NoteMenu(menu, L"");
    DestroyMenu(menu);
    __real__Z12ShowTrayMenuP6HWND__(window);
}
