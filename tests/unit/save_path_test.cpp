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
    CleanCase{"plain", L"Report - Editor", L"Report - Editor"},
    CleanCase{"empty", L"", L""},
    CleanCase{"separators", L"a/b\\c", L"a-b-c"},
    CleanCase{"colon_and_question_mark", L"C:\\x?.txt", L"C--x-.txt"},
    CleanCase{"every_reserved_character", L"<>:\"/\\|?*", L"---------"},
    CleanCase{"control_characters", L"a\tb\nc\x1F" L"d\x7F", L"a-b-c-d\x7F"},
    CleanCase{"relative_parent", L"..\\..\\evil", L"..-..-evil"},
    CleanCase{"only_dots", L"...", L""},
    CleanCase{"only_spaces", L"   ", L""},
    CleanCase{"trailing_dots_and_spaces", L"name . .", L"name"},
    CleanCase{"leading_blanks_kept", L"  name", L"  name"},
    CleanCase{"chinese_and_emoji_kept", L"\u8BB0\u4E8B\u672C \U0001F600", L"\u8BB0\u4E8B\u672C \U0001F600"},
    CleanCase{"device_con", L"CON", L"_CON"},
    CleanCase{"device_lower_case", L"nul", L"_nul"},
    CleanCase{"device_with_extension", L"aux.txt", L"_aux.txt"},
    CleanCase{"device_with_two_extensions", L"Prn.tar.gz", L"_Prn.tar.gz"},
    CleanCase{"device_with_blanks_before_extension", L"com1  .log", L"_com1  .log"},
    CleanCase{"device_with_trailing_dots_and_spaces", L"LPT9. . ", L"_LPT9"},
    CleanCase{"device_superscript_port", L"COM\u00B9", L"_COM\u00B9"},
    CleanCase{"device_console_input", L"conin$", L"_conin$"},
    CleanCase{"device_after_colon", L"CON:", L"CON-"},
    CleanCase{"port_zero_is_a_file", L"COM0", L"COM0"},
    CleanCase{"port_ten_is_a_file", L"LPT10", L"LPT10"},
    CleanCase{"longer_word_is_a_file", L"CONSOLE", L"CONSOLE"},
    CleanCase{"device_not_at_start_is_a_file", L"my CON", L"my CON"}),
    [](const testing::TestParamInfo<CleanCase>& info) { return info.param.name; });

struct PathCase {
    const char* name;
    std::wstring folder;
    std::wstring title;
    std::optional<std::wstring> expected;
};

class AutomaticCapturePathTable : public testing::TestWithParam<PathCase> {};

TEST_P(AutomaticCapturePathTable, ComposesFolderTitleAndExtension)
{
    std::optional<std::wstring> const path = AutomaticCapturePath(GetParam().folder, GetParam().title);
    EXPECT_EQ(path, GetParam().expected);
    if (path) {
        EXPECT_LE(path->size(), kMaxCapturePathLength);
    }
}

std::wstring const kFolder240 = L"C:\\" + std::wstring(237, L'f');
std::wstring const kTitle259 = std::wstring(259, L't');

INSTANTIATE_TEST_SUITE_P(Paths, AutomaticCapturePathTable, testing::Values(
    PathCase{"tools_folder", L"C:\\Tools", L"Report - Editor", L"C:\\Tools\\Report - Editor.png"},
    PathCase{"drive_root", L"C:", L"Report - Editor", L"C:\\Report - Editor.png"},
    PathCase{"empty_title", L"C:\\Tools", L"", L"C:\\Tools\\.png"},
    PathCase{"separators_stay_in_folder", L"C:\\Tools", L"a/b\\c:d?", L"C:\\Tools\\a-b-c-d-.png"},
    PathCase{"device_name", L"C:\\Tools", L"NUL", L"C:\\Tools\\_NUL.png"},
    PathCase{"longest_title_that_fits", L"C:\\Tools", std::wstring(246, L't'),
             L"C:\\Tools\\" + std::wstring(246, L't') + L".png"},
    PathCase{"long_title_is_cut", L"C:\\Tools", kTitle259, L"C:\\Tools\\" + std::wstring(246, L't') + L".png"},
    PathCase{"cut_drops_trailing_dots_and_spaces", kFolder240, std::wstring(11, L'x') + L" . " + kTitle259,
             kFolder240 + L"\\" + std::wstring(11, L'x') + L".png"},
    PathCase{"cut_never_splits_a_surrogate_pair", kFolder240, std::wstring(13, L'x') + L"\xD83D\xDE00" + L"yy",
             kFolder240 + L"\\" + std::wstring(13, L'x') + L".png"},
    PathCase{"cut_that_leaves_a_device_name", kFolder240, L"CON" + std::wstring(11, L' ') + L"x", kFolder240 + L"\\_CON.png"},
    PathCase{"cut_to_a_bare_device_name", L"C:\\" + std::wstring(248, L'f'), L"CONSOLE", L"C:\\" + std::wstring(248, L'f') + L"\\_CO.png"},
    PathCase{"folder_leaves_room_for_empty_title_only", L"C:\\" + std::wstring(251, L'f'), L"title",
             L"C:\\" + std::wstring(251, L'f') + L"\\.png"},
    PathCase{"folder_too_long_for_any_name", L"C:\\" + std::wstring(252, L'f'), L"title", std::nullopt},
    PathCase{"folder_too_long_even_for_empty_title", L"C:\\" + std::wstring(252, L'f'), L"", std::nullopt}),
    [](const testing::TestParamInfo<PathCase>& info) { return info.param.name; });

} // namespace
