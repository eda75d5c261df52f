#include "shell/settings_file.h"

#include <cwchar>
#include <iterator>

#include "shell/ini_store.h"

namespace {

bool IsEmpty(const wchar_t* text)
{
    return text == nullptr || *text == L'\0';
}

std::uint8_t ReadFlag(const wchar_t* key, std::uint8_t fallback, const wchar_t* iniPath)
{
    return ReadIniInt(kSettingsSection, key, fallback, iniPath) != 0 ? 1 : 0;
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
    return settings;
}

void SaveSettingFlag(const wchar_t* section, const wchar_t* key, int value, const wchar_t* iniPath)
{
    if (IsEmpty(iniPath))
        return;
    wchar_t text[1024] = {};
    std::swprintf(text, std::size(text), L"%d", value);
    WriteIniText(section, key, text, iniPath);
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
