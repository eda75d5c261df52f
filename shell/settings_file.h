#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/settings.h"

// The settings live in one section of Lucidframe.ini beside the executable.
inline constexpr const wchar_t* kSettingsSection = L"程序设置";
inline constexpr const wchar_t* kKeySaveMode = L"保存方式";
inline constexpr const wchar_t* kKeyAutoCrop = L"自动裁剪";
inline constexpr const wchar_t* kKeyIncludeCursor = L"包含指针";
inline constexpr const wchar_t* kKeyCheckerboard = L"方格透明";
inline constexpr const wchar_t* kKeyCopyToClipboard = L"复制到剪贴板";
inline constexpr const wchar_t* kKeyTimestampNames = L"文件名加时间";
inline constexpr const wchar_t* kKeyUiLanguage = L"界面语言";
inline constexpr const wchar_t* kKeyHotKey = L"热键";
inline constexpr const wchar_t* kKeySaveFolder = L"保存位置";

// Characters in a path buffer of the platform, the terminator included (MAX_PATH).
inline constexpr std::size_t kPathBufferLength = 260;

// Reads the settings; a missing file, section or key gives that setting's
// default. For a flag any stored integer other than 0 counts as on; a
// language other than 1 or 2 follows Windows; a text is kept as it stands,
// up to 32767 characters. An empty or null path gives the defaults without
// touching any file.
Settings LoadSettings(const wchar_t* iniPath);

// Writes `value` as a decimal integer under `key`, leaving every other key of
// the file as it was. An empty or null path writes nothing. A failed write is
// silent: the caller's in-memory option stays as it is.
void SaveSettingFlag(const wchar_t* section, const wchar_t* key, int value, const wchar_t* iniPath);

// Writes `text` under `key` in the program's section, in the same way.
void SaveSettingText(const wchar_t* key, const wchar_t* text, const wchar_t* iniPath);

// Flips an option in memory first, then persists exactly that one key.
void ToggleSettingFlag(std::uint8_t& flag, const wchar_t* key, const wchar_t* iniPath);

// Appends "\Lucidframe.ini" to the program folder. When the result would not
// fit, `iniPath` becomes empty (options are then not persisted) and the result
// is false.
bool ComposeIniPath(const wchar_t* programFolder, wchar_t (&iniPath)[kPathBufferLength]);
