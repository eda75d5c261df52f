// Runs natively against the portable INI store and, in the Windows build, under
// wine against the real private-profile functions: both must show the same
// observable rules.
#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "shell/ini_text.h"

namespace {

namespace fs = std::filesystem;

std::array<int, 4> Flags(const Settings& s)
{
    return {s.saveMode, s.autoCrop, s.includeCursor, s.checkerboard};
}

constexpr std::array<int, 4> kDefaults = {0, 1, 1, 0};

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
        name += std::string("-") + testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        folder_ = fs::temp_directory_path() / ("lucidframe-" + name);
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        iniPath_ = (folder_ / "Lucidframe.ini").wstring();
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(IniFile(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(folder_, ignored);
    }

    fs::path IniFile() const { return folder_ / "Lucidframe.ini"; }
    const wchar_t* IniPath() const { return iniPath_.c_str(); }

    void WriteBytes(std::string_view bytes) const
    {
        std::ofstream(IniFile(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Stores the text the way the platform's store reads Chinese names: UTF-16
    // with a byte-order mark on Windows, UTF-8 elsewhere.
    void WriteIni(std::wstring_view text) const
    {
#ifdef _WIN32
        std::string bytes = "\xFF\xFE";
        for (wchar_t const unit : text) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8);
        }
        WriteBytes(bytes);
#else
        WriteBytes(WideToUtf8(text));
#endif
    }

    std::string ReadBytes() const
    {
        std::ifstream in(IniFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The file as UTF-8, whichever of the two encodings it is in.
    std::string ReadText() const
    {
        std::string const bytes = ReadBytes();
        if (!bytes.starts_with("\xFF\xFE"))
            return bytes;
        std::wstring text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        return WideToUtf8(text);
    }

    std::optional<std::string> StoredValue(const wchar_t* key) const
    {
        std::string const text = ReadText();
        std::optional<std::string_view> const value =
            FindIniValue(text, WideToUtf8(kSettingsSection), WideToUtf8(key));
        return value ? std::optional<std::string>(*value) : std::nullopt;
    }

    fs::path folder_;
    std::wstring iniPath_;
};

struct LoadCase {
    const char* name;
    std::wstring_view file;
    std::array<int, 4> expected; // saveMode, autoCrop, includeCursor, checkerboard
};

class LoadSettingsTable : public SettingsFileTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(LoadSettingsTable, ReadsEachFlagAsZeroOrOne)
{
    WriteIni(GetParam().file);
    EXPECT_EQ(Flags(LoadSettings(IniPath())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadSettingsTable, testing::Values(
    LoadCase{"empty_file", L"", kDefaults},
    LoadCase{"all_flipped", L"[程序设置]\r\n保存方式=1\r\n自动裁剪=0\r\n包含指针=0\r\n方格透明=1\r\n", {1, 0, 0, 1}},
    LoadCase{"five_is_on", L"[程序设置]\r\n方格透明=5\r\n", {0, 1, 1, 1}},
    LoadCase{"stored_zero_overrides_default", L"[程序设置]\r\n自动裁剪=0\r\n", {0, 0, 1, 0}},
    LoadCase{"negative_is_on", L"[程序设置]\r\n保存方式=-1\r\n", {1, 1, 1, 0}},
    LoadCase{"huge_is_on", L"[程序设置]\r\n保存方式=99999999999\r\n", {1, 1, 1, 0}},
    LoadCase{"text_is_off", L"[程序设置]\r\n自动裁剪=yes\r\n包含指针=on\r\n", {0, 0, 0, 0}},
    LoadCase{"leading_integer_counts", L"[程序设置]\r\n方格透明=1abc\r\n自动裁剪=0abc\r\n", {0, 0, 1, 1}},
    LoadCase{"empty_value_is_default", L"[程序设置]\r\n自动裁剪=\r\n方格透明=\r\n", kDefaults},
    LoadCase{"quoted_value", L"[程序设置]\r\n方格透明=\"1\"\r\n", {0, 1, 1, 1}},
    LoadCase{"blanks_around", L"[程序设置]\r\n  自动裁剪 =  0 \r\n", {0, 0, 1, 0}},
    LoadCase{"first_duplicate_counts", L"[程序设置]\r\n自动裁剪=0\r\n自动裁剪=1\r\n", {0, 0, 1, 0}},
    LoadCase{"missing_section", L"[其他]\r\n自动裁剪=0\r\n方格透明=1\r\n", kDefaults},
    LoadCase{"keys_outside_any_section", L"自动裁剪=0\r\n方格透明=1\r\n", kDefaults},
    LoadCase{"lf_line_endings", L"[程序设置]\n包含指针=0\n", {0, 1, 0, 0}}),
    [](const testing::TestParamInfo<LoadCase>& info) { return info.param.name; });

TEST_F(SettingsFileTest, MissingFileGivesDefaultsAndIsNotCreated)
{
    EXPECT_EQ(Flags(LoadSettings(IniPath())), kDefaults);
    EXPECT_FALSE(fs::exists(IniFile()));
}

TEST_F(SettingsFileTest, FileThatIsNotTextGivesDefaults)
{
    WriteBytes(std::string_view("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0\xFF\xD8\xFF\xE0", 24));
    EXPECT_EQ(Flags(LoadSettings(IniPath())), kDefaults);
}

TEST_F(SettingsFileTest, EmptyOrNullPathGivesDefaultsAndWritesNothing)
{
    EXPECT_EQ(Flags(LoadSettings(L"")), kDefaults);
    EXPECT_EQ(Flags(LoadSettings(nullptr)), kDefaults);
    std::uint8_t flag = 0;
    ToggleSettingFlag(flag, kKeyCheckerboard, L"");
    EXPECT_EQ(flag, 1);
    SaveSettingFlag(kSettingsSection, kKeyCheckerboard, 1, nullptr);
    EXPECT_TRUE(fs::is_empty(folder_));
}

TEST_F(SettingsFileTest, FirstToggleCreatesTheFileWithThatKeyOnly)
{
    Settings settings = LoadSettings(IniPath());
    ToggleSettingFlag(settings.checkerboard, kKeyCheckerboard, IniPath());
    EXPECT_EQ(settings.checkerboard, 1);
#ifdef _WIN32
    // A file created in the ANSI code page would turn the Chinese names into '?'.
    EXPECT_TRUE(ReadBytes().starts_with("\xFF\xFE"));
#endif
    EXPECT_EQ(StoredValue(kKeyCheckerboard), "1");
    for (const wchar_t* other : {kKeySaveMode, kKeyAutoCrop, kKeyIncludeCursor})
        EXPECT_EQ(StoredValue(other), std::nullopt);
    EXPECT_EQ(Flags(LoadSettings(IniPath())), (std::array<int, 4>{0, 1, 1, 1}));
}

TEST_F(SettingsFileTest, ToggleOfStoredFiveWritesZero)
{
    WriteIni(L"[程序设置]\r\n方格透明=5\r\n");
    Settings settings = LoadSettings(IniPath());
    ASSERT_EQ(settings.checkerboard, 1);
    ToggleSettingFlag(settings.checkerboard, kKeyCheckerboard, IniPath());
    EXPECT_EQ(settings.checkerboard, 0);
    EXPECT_EQ(StoredValue(kKeyCheckerboard), "0");
}

TEST_F(SettingsFileTest, ToggleTwiceLeavesOneKeyHoldingOne)
{
    Settings settings = LoadSettings(IniPath());
    ToggleSettingFlag(settings.includeCursor, kKeyIncludeCursor, IniPath());
    EXPECT_EQ(StoredValue(kKeyIncludeCursor), "0");
    ToggleSettingFlag(settings.includeCursor, kKeyIncludeCursor, IniPath());
    EXPECT_EQ(settings.includeCursor, 1);
    EXPECT_EQ(StoredValue(kKeyIncludeCursor), "1");
    for (const wchar_t* other : {kKeySaveMode, kKeyAutoCrop, kKeyCheckerboard})
        EXPECT_EQ(StoredValue(other), std::nullopt);
}

TEST_F(SettingsFileTest, ToggleKeepsEveryOtherKeyAndSection)
{
    WriteIni(L"[其他]\r\nname=value\r\n[程序设置]\r\n自动裁剪=0\r\n保存方式=7\r\n");
    Settings settings = LoadSettings(IniPath());
    ToggleSettingFlag(settings.saveMode, kKeySaveMode, IniPath());
    EXPECT_EQ(settings.saveMode, 0);
    EXPECT_EQ(Flags(LoadSettings(IniPath())), (std::array<int, 4>{0, 0, 1, 0}));
    EXPECT_EQ(FindIniValue(ReadText(), WideToUtf8(L"其他"), "name"), "value");
}

TEST_F(SettingsFileTest, SaveSettingFlagWritesAnyIntegerInDecimal)
{
    SaveSettingFlag(kSettingsSection, kKeyAutoCrop, -2147483647 - 1, IniPath());
    EXPECT_EQ(StoredValue(kKeyAutoCrop), "-2147483648");
}

TEST_F(SettingsFileTest, UnwritableFileStillChangesTheRunningOption)
{
    // A folder where the file should be: no store can write it, whoever runs the test.
    fs::create_directory(IniFile());
    Settings settings = LoadSettings(IniPath());
    EXPECT_EQ(Flags(settings), kDefaults);
    ToggleSettingFlag(settings.autoCrop, kKeyAutoCrop, IniPath());
    EXPECT_EQ(settings.autoCrop, 0);
    EXPECT_TRUE(fs::is_directory(IniFile()));
    EXPECT_EQ(Flags(LoadSettings(IniPath())), kDefaults);
}

TEST_F(SettingsFileTest, ReadOnlyFileStillChangesTheRunningOption)
{
    WriteIni(L"[程序设置]\r\n自动裁剪=1\r\n");
    fs::permissions(IniFile(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string const before = ReadBytes();
    Settings settings = LoadSettings(IniPath());
    ToggleSettingFlag(settings.autoCrop, kKeyAutoCrop, IniPath());
    EXPECT_EQ(settings.autoCrop, 0);
    if (ReadBytes() != before)
        GTEST_SKIP() << "this user may write read-only files";
    EXPECT_EQ(LoadSettings(IniPath()).autoCrop, 1);
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
    ComposeCase{"one_too_long", std::wstring(245, L'f'), L""},
    ComposeCase{"far_too_long", std::wstring(259, L'f'), L""}),
    [](const testing::TestParamInfo<ComposeCase>& info) { return info.param.name; });

} // namespace
