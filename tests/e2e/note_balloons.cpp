// A build of Lucidframe for the end-to-end rows that read what the tray says:
// linked with --wrap, it appends the text of every balloon it shows to
// balloons.log beside the program, and every file a click on a balloon opens
// to opened.log, each as UTF-8 ending in a NUL byte, and is otherwise the
// program.

#include "shell/tray_balloon.h"

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
