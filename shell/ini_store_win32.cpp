#include "shell/ini_store.h"

#include <windows.h>

namespace {

// WritePrivateProfileStringW creates a missing file in the ANSI code page, where
// the Chinese section and keys turn into question marks on most systems and
// every option would silently revert at the next start. A file that begins with
// a UTF-16LE byte-order mark is kept in UTF-16 by the private-profile functions,
// so a new file gets just that mark first. CREATE_NEW leaves an existing file,
// whatever its encoding, untouched.
void CreateUnicodeIniFile(const wchar_t* iniPath)
{
    HANDLE const file = CreateFileW(iniPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    BYTE const byteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, byteOrderMark, sizeof byteOrderMark, &written, nullptr);
    CloseHandle(file);
}

} // namespace

std::int32_t ReadIniInt(const wchar_t* section, const wchar_t* key, std::int32_t fallback,
                        const wchar_t* iniPath)
{
    return static_cast<std::int32_t>(GetPrivateProfileIntW(section, key, fallback, iniPath));
}

void WriteIniText(const wchar_t* section, const wchar_t* key, const wchar_t* text,
                  const wchar_t* iniPath)
{
    CreateUnicodeIniFile(iniPath);
    WritePrivateProfileStringW(section, key, text, iniPath);
}
