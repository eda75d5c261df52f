#include "output/save_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace {

struct CleanCase {
    const char* name;
    std::wstring_view title;
    std::wstring_view expected;
};

class CleanFileTitleTable : public testing::TestWithParam<CleanCase> {};

TEST_P(CleanFileTitleTable, GivesOneSafeComponent)
{
    std::wstring const cleaned = CleanFileTitle(GetParam().title);
    EXPECT_EQ(cleaned, GetParam().expected);
    EXPECT_EQ(CleanFileTitle(cleaned), cleaned) << "cleaning twice changes nothing";
}

INSTANTIATE_TEST_SUITE_P(Titles, CleanFileTitleTable, testing::Values(
    CleanCase{"plain_and_chinese", L"Report - \u8BB0\u4E8B\u672C \U0001F600", L"Report - \u8BB0\u4E8B\u672C \U0001F600"},
    CleanCase{"every_reserved_character", L"a<>:\"/\\|?*b", L"a---------b"},
    CleanCase{"control_characters", L"a\tb\nc\x1F" L"d", L"a-b-c-d"},
    CleanCase{"only_dots_and_spaces", L". . .", L""},
    CleanCase{"trailing_dots_and_spaces_leading_kept", L"  name . .", L"  name"},
    CleanCase{"device", L"CON", L"_CON"},
    CleanCase{"device_any_case_with_extensions", L"nul.tar.gz", L"_nul.tar.gz"},
    CleanCase{"device_with_blanks_before_extension", L"com1  .log", L"_com1  .log"},
    CleanCase{"device_with_trailing_dots_and_spaces", L"LPT9. . ", L"_LPT9"},
    CleanCase{"device_superscript_port", L"COM\u00B9", L"_COM\u00B9"},
    CleanCase{"device_console_input", L"conin$", L"_conin$"},
    CleanCase{"not_devices", L"COM0 LPT10 CONSOLE", L"COM0 LPT10 CONSOLE"},
    CleanCase{"device_made_harmless_by_colon", L"CON:", L"CON-"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PathCase {
    const char* name;
    std::wstring folder;
    std::wstring title;
    std::optional<std::wstring> expected;
};

class AutomaticCapturePathTable : public testing::TestWithParam<PathCase> {};

TEST_P(AutomaticCapturePathTable, ComposesFolderTitleAndExtension)
{
    EXPECT_EQ(AutomaticCapturePath(GetParam().folder, GetParam().title), GetParam().expected);
}

// Leaves room for a 14-character title.
std::wstring const kFolder240 = L"C:\\" + std::wstring(237, L'f');

INSTANTIATE_TEST_SUITE_P(Paths, AutomaticCapturePathTable, testing::Values(
    PathCase{"tools_folder", L"C:\\Tools", L"Report - Editor", L"C:\\Tools\\Report - Editor.png"},
    PathCase{"drive_root", L"C:", L"Report - Editor", L"C:\\Report - Editor.png"},
    PathCase{"empty_title", L"C:\\Tools", L"", L"C:\\Tools\\.png"},
    PathCase{"separators_stay_in_folder", L"C:\\Tools", L"..\\a/b:c?", L"C:\\Tools\\..-a-b-c-.png"},
    PathCase{"longest_title_cut_to_fit", L"C:\\Tools", std::wstring(259, L't'), L"C:\\Tools\\" + std::wstring(246, L't') + L".png"},
    PathCase{"cut_drops_trailing_dots_and_spaces", kFolder240, L"xxxxxxxxxxx . tail", kFolder240 + L"\\xxxxxxxxxxx.png"},
    PathCase{"cut_keeps_surrogate_pairs_whole", kFolder240, L"xxxxxxxxxxxxx\xD83D\xDE00", kFolder240 + L"\\xxxxxxxxxxxxx.png"},
    PathCase{"cut_that_leaves_a_device_name", kFolder240, L"CON           x", kFolder240 + L"\\_CON.png"},
    PathCase{"cut_to_a_bare_device_name", L"C:\\" + std::wstring(248, L'f'), L"CONSOLE", L"C:\\" + std::wstring(248, L'f') + L"\\_CO.png"},
    PathCase{"room_for_empty_title_only", L"C:\\" + std::wstring(251, L'f'), L"title", L"C:\\" + std::wstring(251, L'f') + L"\\.png"},
    PathCase{"folder_too_long_for_any_name", L"C:\\" + std::wstring(252, L'f'), L"", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Names that never replace: the title, then the time; a second capture in
// the same second gets a number. The title is what gives way to the 259
// characters, never the time or the number.
TEST(TimestampedCapturePath, TitleThenTimeAndTheTitleGivesWay)
{
    CaptureTime const time = {2024, 5, 1, 9, 3, 7};
    struct Case {
        std::wstring folder;
        std::wstring title;
        unsigned number;
        std::optional<std::wstring> expected;
    };
    std::wstring const folder230 = L"C:\\" + std::wstring(227, L'f'); // room for 24 of name
    Case const cases[] = {
        {L"C:\\Tools", L"Report - Editor", 1, L"C:\\Tools\\Report - Editor 2024-05-01 09.03.07.png"},
        {L"C:\\Tools", L"Report - Editor", 2, L"C:\\Tools\\Report - Editor 2024-05-01 09.03.07 (2).png"},
        {L"C:\\Tools", L"Report - Editor", 0, L"C:\\Tools\\Report - Editor 2024-05-01 09.03.07.png"},
        {L"C:", L"", 1, L"C:\\2024-05-01 09.03.07.png"},
        {L"C:\\Tools", L"a:b.", 12, L"C:\\Tools\\a-b 2024-05-01 09.03.07 (12).png"},
        {L"C:\\Tools", L"CON", 1, L"C:\\Tools\\_CON 2024-05-01 09.03.07.png"},
        {folder230, L"abcdef", 1, folder230 + L"\\abcd 2024-05-01 09.03.07.png"},
        {folder230, L"abcdef", 2, folder230 + L"\\2024-05-01 09.03.07 (2).png"},
        {folder230, L"abcdef", 10, folder230 + L"\\2024-05-01 09.03.07 (10).png"},
        {folder230, L"abcdef", 100, std::nullopt},
        {folder230 + L"ff", L"", 1, folder230 + L"ff\\2024-05-01 09.03.07.png"},
    };
    int row = 0;
    for (Case const& c : cases) {
        ++row;
        std::optional<std::wstring> const path = TimestampedCapturePath(c.folder, c.title, time, c.number);
        EXPECT_EQ(path, c.expected) << "row " << row;
        EXPECT_LE(path.value_or(L"").size(), kMaxCapturePathLength) << "row " << row;
    }
    EXPECT_EQ(TimestampedCapturePath(L"C:", L"x", {12345, 12, 31, 23, 59, 59}, 1), L"C:\\x 12345-12-31 23.59.59.png");
}

// A capture whose destination cannot be replaced goes beside it under the
// next number; the folder and extension stay, the stem gives way.
TEST(NumberedCapturePath, KeepsFolderAndExtensionAndFits)
{
    struct Case {
        std::wstring path;
        unsigned number;
        std::optional<std::wstring> expected;
    };
    std::wstring const folder247 = L"C:\\" + std::wstring(244, L'f'); // room for a stem of 3 and " (2).png"
    Case const cases[] = {
        {L"C:\\Tools\\Report - Editor.png", 2, L"C:\\Tools\\Report - Editor (2).png"},
        {L"C:\\Tools\\.png", 3, L"C:\\Tools\\ (3).png"},
        {L"C:\\a.b\\no extension", 2, L"C:\\a.b\\no extension (2)"},
        {L"C:\\Tools\\archive.tar.png", 12, L"C:\\Tools\\archive.tar (12).png"},
        {folder247 + L"\\abcd.png", 2, folder247 + L"\\abc (2).png"},
        {folder247 + L"\\xx\xD83D\xDE00.png", 2, folder247 + L"\\xx (2).png"},
        {folder247 + L"\\x\xD83D\xDE00.png", 2, folder247 + L"\\x\xD83D\xDE00 (2).png"},
        {folder247 + L"\\abcd.png", 1000, folder247 + L"\\ (1000).png"},
        {folder247 + L"\\abcd.png", 10000, std::nullopt},
    };
    int row = 0;
    for (Case const& c : cases) {
        ++row;
        std::optional<std::wstring> const numbered = NumberedCapturePath(c.path, c.number);
        EXPECT_EQ(numbered, c.expected) << "row " << row;
        EXPECT_LE(numbered.value_or(L"").size(), kMaxCapturePathLength) << "row " << row;
    }
}

// The temporary name is never longer than the destination's own, so it fits
// wherever the destination's path fits; its digits come from the random value.
TEST(TemporaryFileName, FitsWhereTheDestinationFits)
{
    struct Case {
        std::size_t finalNameLength;
        std::uint32_t random;
        std::wstring_view expected;
    };
    Case const cases[] = {
        {0, 0x12345678, L"~"},
        {1, 0x12345678, L"~"},
        {4, 0x12345678, L"~876"}, // ".png", the automatic name of an untitled window
        {5, 0xABCDEF09, L"~90fe"},
        {9, 0x12345678, L"~87654321"},
        {259, 0x12345678, L"~87654321"},
    };
    for (Case const& c : cases)
        EXPECT_EQ(TemporaryFileName(c.finalNameLength, c.random), c.expected) << c.finalNameLength;
}

} // namespace
