// The settings file against the real private-profile functions.
#include "shell/settings_file.h"
#include "tests/support/scratch_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

using Flags = std::array<int, 5>; // saveMode, autoCrop, includeCursor, checkerboard, copyToClipboard
constexpr Flags kDefaults = {0, 1, 1, 0, 1};
constexpr std::int32_t kAbsent = -12345;

Flags FlagsOf(const Settings& s)
{
    return {s.saveMode, s.autoCrop, s.includeCursor, s.checkerboard, s.copyToClipboard};
}

class SettingsFileTest : public testing::Test {
protected:
    // Stores the text as UTF-16 with a byte-order mark, in which the
    // private-profile functions keep Chinese names on every code page.
    void WriteIni(std::wstring_view text) const
    {
        std::ofstream file(fs::path(iniPath_), std::ios::binary);
        file << "\xFF\xFE";
        for (wchar_t const unit : text)
            file << static_cast<char>(unit & 0xFF) << static_cast<char>(unit >> 8);
    }

    // The integer stored under a key, or kAbsent.
    std::int32_t Stored(const wchar_t* key) const
    {
        return static_cast<std::int32_t>(GetPrivateProfileIntW(kSettingsSection, key, kAbsent, iniPath_.c_str()));
    }

    ScratchFolder folder_;
    std::wstring const iniPath_ = (folder_ / "Lucidframe.ini").wstring();
};

struct LoadCase {
    const char* name;
    std::wstring_view file;
    Flags expected;
};

class LoadSettingsTable : public SettingsFileTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadSettingsTable, ReadsEachFlagAsZeroOrOne)
{
    WriteIni(GetParam().file);
    EXPECT_EQ(FlagsOf(LoadSettings(iniPath_.c_str())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadSettingsTable, testing::Values(
    LoadCase{"all_flipped", L"[程序设置]\r\n保存方式=1\r\n自动裁剪=0\r\n包含指针=0\r\n方格透明=1\r\n复制到剪贴板=0\r\n",
             {1, 0, 0, 1, 0}},
    LoadCase{"five_is_on", L"[程序设置]\r\n方格透明=5\r\n", {0, 1, 1, 1, 1}},
    LoadCase{"negative_and_huge_are_on", L"[程序设置]\r\n保存方式=-1\r\n方格透明=99999999999\r\n", {1, 1, 1, 1, 1}},
    LoadCase{"text_is_off", L"[程序设置]\r\n自动裁剪=yes\r\n包含指针=on\r\n复制到剪贴板=ja\r\n", {0, 0, 0, 0, 0}},
    LoadCase{"leading_integer_counts", L"[程序设置]\n方格透明=1abc\n自动裁剪=0abc\n", {0, 0, 1, 1, 1}},
    LoadCase{"quoted_value", L"[程序设置]\r\n方格透明=\"1\"\r\n", {0, 1, 1, 1, 1}},
    LoadCase{"empty_value_is_default", L"[程序设置]\r\n自动裁剪=\r\n方格透明=\r\n", kDefaults},
    LoadCase{"first_duplicate_counts", L"[程序设置]\r\n自动裁剪 = 0\r\n自动裁剪=1\r\n", {0, 0, 1, 0, 1}},
    LoadCase{"missing_section", L"自动裁剪=0\r\n[其他]\r\n方格透明=1\r\n", kDefaults}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, FileThatIsNotTextGivesDefaults)
{
    char const bytes[] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE[\0\xD8";
    std::ofstream(fs::path(iniPath_), std::ios::binary).write(bytes, sizeof bytes);
    EXPECT_EQ(FlagsOf(LoadSettings(iniPath_.c_str())), kDefaults);
}

// The settings beyond the flags: the time-stamped names, the language and
// the two texts, kept as the file holds them for their own rules to read.
struct TextsCase {
    const char* name;
    std::wstring file; // empty: no file
    std::uint8_t timestampNames;
    std::uint8_t uiLanguage;
    std::wstring hotKey;
    std::wstring saveFolder;
};

class LoadSettingsTextsTable : public SettingsFileTest, public testing::WithParamInterface<TextsCase> {};

TEST_P(LoadSettingsTextsTable, KeepsWhatTheFileHolds)
{
    TextsCase const& c = GetParam();
    if (!c.file.empty())
        WriteIni(c.file);
    Settings const settings = LoadSettings(iniPath_.c_str());
    EXPECT_EQ(settings.timestampNames, c.timestampNames);
    EXPECT_EQ(settings.uiLanguage, c.uiLanguage);
    EXPECT_EQ(settings.hotKey, c.hotKey);
    EXPECT_EQ(settings.saveFolder, c.saveFolder);
}

std::wstring const kTenThousand(10000, L'x');

INSTANTIATE_TEST_SUITE_P(Files, LoadSettingsTextsTable, testing::Values(
    TextsCase{"no_file_is_today", L"", 0, 0, L"", L""},
    TextsCase{"every_key", L"[程序设置]\r\n热键=Ctrl+Shift+F9\r\n保存位置=%USERPROFILE%\\Pictures\r\n文件名加时间=1\r\n界面语言=2\r\n",
              1, 2, L"Ctrl+Shift+F9", L"%USERPROFILE%\\Pictures"},
    TextsCase{"chinese_chosen", L"[程序设置]\r\n界面语言=1\r\n", 0, 1, L"", L""},
    TextsCase{"unknown_languages_follow_windows", L"[程序设置]\r\n界面语言=3\r\n文件名加时间=7\r\n", 1, 0, L"", L""},
    TextsCase{"negative_language", L"[程序设置]\r\n界面语言=-1\r\n", 0, 0, L"", L""},
    TextsCase{"language_as_text", L"[程序设置]\r\n界面语言=English\r\n", 0, 0, L"", L""},
    TextsCase{"blanks_and_quotes_go", L"[程序设置]\r\n热键 =  Alt+F2  \r\n保存位置=\"D:\\My Shots\"\r\n", 0, 0, L"Alt+F2", L"D:\\My Shots"},
    TextsCase{"empty_values", L"[程序设置]\r\n热键=\r\n保存位置=\r\n", 0, 0, L"", L""},
    TextsCase{"ten_thousand_characters", L"[程序设置]\r\n热键=" + kTenThousand + L"\r\n保存位置=" + kTenThousand + L"\r\n", 0, 0,
              kTenThousand, kTenThousand}),
    [](const auto& info) { return std::string(info.param.name); });

// Texts are written as they are, beside the other keys.
TEST_F(SettingsFileTest, TextIsWrittenUnderItsKeyAlone)
{
    WriteIni(L"[程序设置]\r\n自动裁剪=0\r\n");
    SaveSettingText(kKeyHotKey, L"Ctrl+Shift+F9", iniPath_.c_str());
    SaveSettingText(kKeySaveFolder, L"D:\\截图", iniPath_.c_str());
    SaveSettingText(kKeyHotKey, L"Alt+F2", iniPath_.c_str());
    Settings const settings = LoadSettings(iniPath_.c_str());
    EXPECT_EQ(settings.hotKey, L"Alt+F2");
    EXPECT_EQ(settings.saveFolder, L"D:\\截图");
    EXPECT_EQ(settings.autoCrop, 0);
    fs::remove(iniPath_);
    SaveSettingText(kKeySaveFolder, L"D:\\截图", iniPath_.c_str());
    EXPECT_EQ(LoadSettings(iniPath_.c_str()).saveFolder, L"D:\\截图") << "a new file keeps Chinese";
}

struct ToggleCase {
    const char* name;
    std::wstring_view file; // empty: no file yet
    std::uint8_t Settings::*flag;
    const wchar_t* key;
    int toggles;
    int stored;
};

class ToggleSettingFlagTable : public SettingsFileTest, public testing::WithParamInterface<ToggleCase> {};

TEST_P(ToggleSettingFlagTable, ChangesMemoryAndWritesOnlyThatKey)
{
    ToggleCase const& c = GetParam();
    if (!c.file.empty())
        WriteIni(c.file);
    Settings settings = LoadSettings(iniPath_.c_str());
    for (int i = 0; i < c.toggles; ++i)
        ToggleSettingFlag(settings.*c.flag, c.key, iniPath_.c_str());

    EXPECT_EQ(settings.*c.flag, c.stored);
    EXPECT_EQ(Stored(c.key), c.stored);
    for (const wchar_t* other : {kKeySaveMode, kKeyAutoCrop, kKeyIncludeCursor, kKeyCheckerboard, kKeyCopyToClipboard,
                                 kKeyTimestampNames, kKeyUiLanguage}) {
        if (c.file.empty() && other != c.key) {
            EXPECT_EQ(Stored(other), kAbsent) << "created another key";
        }
    }
    EXPECT_EQ(FlagsOf(LoadSettings(iniPath_.c_str())), FlagsOf(settings));
    // A file created in the ANSI code page would turn the Chinese names into '?'.
    std::ifstream file(fs::path(iniPath_), std::ios::binary);
    EXPECT_TRUE(file.get() == 0xFF && file.get() == 0xFE);
}

INSTANTIATE_TEST_SUITE_P(Toggles, ToggleSettingFlagTable, testing::Values(
    ToggleCase{"first_toggle_creates_the_file", L"", &Settings::checkerboard, kKeyCheckerboard, 1, 1},
    ToggleCase{"stored_five_becomes_zero", L"[程序设置]\r\n方格透明=5\r\n", &Settings::checkerboard, kKeyCheckerboard, 1, 0},
    ToggleCase{"twice_leaves_one", L"", &Settings::includeCursor, kKeyIncludeCursor, 2, 1},
    ToggleCase{"clipboard_off", L"", &Settings::copyToClipboard, kKeyCopyToClipboard, 1, 0},
    ToggleCase{"timestamp_names_on", L"", &Settings::timestampNames, kKeyTimestampNames, 1, 1},
    ToggleCase{"keeps_other_keys", L"[其他]\r\n保存方式=1\r\n[程序设置]\r\n自动裁剪=0\r\n保存方式=7\r\n",
               &Settings::saveMode, kKeySaveMode, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, MissingOrUnwritableFileKeepsTheOptionForThisRun)
{
    EXPECT_EQ(FlagsOf(LoadSettings(iniPath_.c_str())), kDefaults);
    EXPECT_FALSE(fs::exists(iniPath_)) << "loading must not create the file";

    // A folder where the file should be: no store can write there, whoever runs the test.
    fs::create_directory(iniPath_);
    for (const wchar_t* path : {iniPath_.c_str(), L"", static_cast<const wchar_t*>(nullptr)}) {
        Settings settings = LoadSettings(path);
        EXPECT_EQ(FlagsOf(settings), kDefaults);
        ToggleSettingFlag(settings.autoCrop, kKeyAutoCrop, path);
        EXPECT_EQ(settings.autoCrop, 0);
    }
    EXPECT_TRUE(fs::is_empty(iniPath_));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 1);
}

struct ComposeCase {
    const char* name;
    std::wstring folder;
    std::wstring expected; // empty when it does not fit
};

class ComposeIniPathTable : public testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeIniPathTable, AppendsTheFileNameOnlyWhenItFits)
{
    wchar_t iniPath[kPathBufferLength];
    std::fill(std::begin(iniPath), std::end(iniPath), L'#');
    EXPECT_EQ(ComposeIniPath(GetParam().folder.c_str(), iniPath), !GetParam().expected.empty());
    EXPECT_EQ(std::wstring(iniPath), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, ComposeIniPathTable, testing::Values(
    ComposeCase{"tools", L"C:\\Tools", L"C:\\Tools\\Lucidframe.ini"},
    ComposeCase{"drive_root", L"C:", L"C:\\Lucidframe.ini"},
    ComposeCase{"longest_that_fits", std::wstring(244, L'f'), std::wstring(244, L'f') + L"\\Lucidframe.ini"},
    ComposeCase{"one_too_long", std::wstring(245, L'f'), L""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
