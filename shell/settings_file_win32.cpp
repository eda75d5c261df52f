#include "shell/settings_file.h"

#include <windows.h>

#include <cwchar>
#include <iterator>

namespace {

// WritePrivateProfileStringW creates a missing file in the ANSI code page, where
// the Chinese section and keys turn into question marks on most systems and
// every option would silently revert at the next start. A file that begins with
// a UTF-16LE byte-order mark is kept in UTF-16 by the private-profile functions,
// so a new file gets just that mark first. CREATE_NEW leaves an existing file,
// whatever its encoding, untouched.
void CreateUnicodeIniFile(const wchar_t* iniPath)
{
    HANDLE const file = CreateFileW(iniPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    BYTE const byteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, byteOrderMark, sizeof byteOrderMark, &written, nullptr);
    CloseHandle(file);
}

bool IsEmpty(const wchar_t* text)
{
    return text == nullptr || *text == L'\0';
}

std::uint8_t ReadFlag(const wchar_t* key, std::uint8_t fallback, const wchar_t* iniPath)
{
    return GetPrivateProfileIntW(kSettingsSection, key, fallback, iniPath) != 0 ? 1 : 0;
}

std::uint8_t ReadLanguage(const wchar_t* iniPath)
{
    UINT const value = GetPrivateProfileIntW(kSettingsSection, kKeyUiLanguage, 0, iniPath);
    return value == 1 || value == 2 ? static_cast<std::uint8_t>(value) : 0;
}

// Far longer than any path or hot key: a value longer than this comes back
// cut at its end, and every setting that reads it still refuses it.
DWORD const kLongestValue = 32767;

std::wstring ReadText(const wchar_t* key, const wchar_t* iniPath)
{
    std::wstring text(kLongestValue + 1, L'\0');
    DWORD const length = GetPrivateProfileStringW(kSettingsSection, key, L"", text.data(), kLongestValue + 1, iniPath);
    text.resize(length);
    return text;
}

void WriteSetting(const wchar_t* section, const wchar_t* key, const wchar_t* text, const wchar_t* iniPath)
{
    if (IsEmpty(iniPath))
        return;
    CreateUnicodeIniFile(iniPath);
    WritePrivateProfileStringW(section, key, text, iniPath);
}

} // namespace

Settings LoadSettings(const wchar_t* iniPath)
{
    Settings settings;
    if (IsEmpty(iniPath))
        return settings;
    settings.saveMode = ReadFlag(kKeySaveMode, settings.saveMode, iniPath);
    settings.autoCrop = ReadFlag(kKeyAutoCrop, settings.autoCrop, iniPath);
    settings.includeCursor = ReadFlag(kKeyIncludeCursor, settings.includeCursor, iniPath);
    settings.checkerboard = ReadFlag(kKeyCheckerboard, settings.checkerboard, iniPath);
    settings.copyToClipboard = ReadFlag(kKeyCopyToClipboard, settings.copyToClipboard, iniPath);
    settings.timestampNames = ReadFlag(kKeyTimestampNames, settings.timestampNames, iniPath);
    settings.uiLanguage = ReadLanguage(iniPath);
    settings.hotKey = ReadText(kKeyHotKey, iniPath);
    settings.saveFolder = ReadText(kKeySaveFolder, iniPath);
    return settings;
}

void SaveSettingFlag(const wchar_t* section, const wchar_t* key, int value, const wchar_t* iniPath)
{
    wchar_t text[1024] = {};
    std::swprintf(text, std::size(text), L"%d", value);
    WriteSetting(section, key, text, iniPath);
}

void SaveSettingText(const wchar_t* key, const wchar_t* text, const wchar_t* iniPath)
{
    WriteSetting(kSettingsSection, key, text, iniPath);
}

void ToggleSettingFlag(std::uint8_t& flag, const wchar_t* key, const wchar_t* iniPath)
{
    flag = flag ? 0 : 1;
    SaveSettingFlag(kSettingsSection, key, flag, iniPath);
}

bool ComposeIniPath(const wchar_t* programFolder, wchar_t (&iniPath)[kPathBufferLength])
{
    static constexpr wchar_t kFileName[] = L"\\Lucidframe.ini";
    std::size_t const folderLength = std::wcslen(programFolder);
    std::size_t const pathLength = folderLength + std::size(kFileName) - 1;
    if (pathLength >= kPathBufferLength) {
        iniPath[0] = L'\0';
        return false;
    }
    std::wmemcpy(iniPath, programFolder, folderLength);
    std::wmemcpy(iniPath + folderLength, kFileName, std::size(kFileName));
    return true;
}
