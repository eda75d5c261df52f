#include "output/save_folder.h"

#include "output/save_path.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using P = SaveFolderProblem;

// The environment the rows expand against.
std::map<std::wstring, std::wstring, std::less<>> const kVariables = {
    {L"USERPROFILE", L"C:\\Users\\Ann"},
    {L"SLASHED", L"D:/Shots/"},
    {L"EMPTY", L""},
    {L"SELF", L"%SELF%\\x"},
    {L"NESTED", L"%USERPROFILE%"},
    {L"HUGE", std::wstring(40000, L'h')},
};

std::optional<std::wstring> Variable(std::wstring_view name)
{
    auto const found = kVariables.find(name);
    return found == kVariables.end() ? std::nullopt : std::optional<std::wstring>(found->second);
}

struct FolderCase {
    const char* name;
    std::wstring value;
    std::wstring expected; // empty when `problem` is not None
    P problem = P::None;
    std::wstring programFolder = L"C:\\Tools";
};

void PrintTo(FolderCase const& c, std::ostream* out)
{
    *out << c.name;
}

class SaveFolderTable : public testing::TestWithParam<FolderCase> {};

TEST_P(SaveFolderTable, GivesOneFolderOrSaysWhyNot)
{
    FolderCase const& c = GetParam();
    SaveFolder const folder = SaveFolderFor(c.value, c.programFolder, Variable);
    EXPECT_EQ(folder.problem, c.problem);
    EXPECT_EQ(folder.path, c.expected);
    // Whatever it gives leaves room for a capture's name.
    EXPECT_TRUE(AutomaticCapturePath(folder.path, L"").has_value() || c.problem != P::None);
}

std::wstring const kLongest = L"C:\\" + std::wstring(251, L'f'); // 254: room for "\.png"

INSTANTIATE_TEST_SUITE_P(Values, SaveFolderTable, testing::Values(
    FolderCase{"empty_is_the_program_folder", L"", L"C:\\Tools"},
    FolderCase{"absolute", L"D:\\Shots\\2024", L"D:\\Shots\\2024"},
    FolderCase{"trailing_and_doubled_backslashes", L"D:\\\\Shots\\\\", L"D:\\Shots"},
    FolderCase{"slashes", L"D:/Shots/2024", L"D:\\Shots\\2024"},
    FolderCase{"drive_root", L"D:\\", L"D:"},
    FolderCase{"bare_drive", L"d:", L"d:"},
    FolderCase{"share", L"\\\\server\\share\\Shots", L"\\\\server\\share\\Shots"},
    FolderCase{"share_itself", L"\\\\server\\share", L"\\\\server\\share"},
    FolderCase{"relative", L"Shots\\2024", L"C:\\Tools\\Shots\\2024"},
    FolderCase{"dot", L".", L"C:\\Tools"},
    FolderCase{"sibling_of_the_program_folder", L"..\\Shots", L"C:\\Shots"},
    FolderCase{"dots_inside", L"D:\\a\\.\\b\\..\\c", L"D:\\a\\c"},
    FolderCase{"relative_to_a_drive_root_folder", L"Shots", L"C:\\Shots", P::None, L"C:"},
    FolderCase{"relative_to_a_share", L"Shots", L"\\\\srv\\sh\\Shots", P::None, L"\\\\srv\\sh"},
    FolderCase{"variable", L"%USERPROFILE%\\Pictures\\Lucidframe", L"C:\\Users\\Ann\\Pictures\\Lucidframe"},
    FolderCase{"variable_with_slashes", L"%SLASHED%x", L"D:\\Shots\\x"},
    FolderCase{"percent_signs_that_name_nothing", L"D:\\100%\\%%\\a%", L"D:\\100%\\%%\\a%"},
    FolderCase{"leading_blank_kept", L"D:\\ Shots", L"D:\\ Shots"},
    // Bad input: each gives its problem, and no folder.
    FolderCase{"unexpanded_variable", L"%NOT_SET%\\Shots", L"", P::UnexpandedVariable},
    FolderCase{"recursive_variable", L"%SELF%", L"", P::UnexpandedVariable},
    FolderCase{"variable_naming_a_variable", L"%NESTED%", L"", P::UnexpandedVariable},
    FolderCase{"nothing_left_once_expanded", L"%EMPTY%", L"", P::BadPath},
    FolderCase{"root_of_the_current_drive", L"\\Shots", L"", P::BadPath},
    FolderCase{"drive_relative", L"D:Shots", L"", P::BadPath},
    FolderCase{"colon_inside", L"Shots:x", L"", P::BadPath},
    FolderCase{"device_namespace", L"\\\\.\\CON", L"", P::BadPath},
    FolderCase{"long_path_namespace", L"\\\\?\\D:\\Shots", L"", P::BadPath},
    FolderCase{"server_without_share", L"\\\\server", L"", P::BadPath},
    FolderCase{"above_the_root", L"D:\\..\\Shots", L"", P::BadPath},
    FolderCase{"above_the_program_folder_root", L"..\\..\\..", L"", P::BadPath},
    FolderCase{"con_as_a_folder", L"CON", L"", P::BadName},
    FolderCase{"device_inside", L"D:\\Shots\\nul.txt\\x", L"", P::BadName},
    FolderCase{"trailing_dot", L"D:\\Shots.", L"", P::BadName},
    FolderCase{"trailing_blank", L"Shots ", L"", P::BadName},
    FolderCase{"reserved_character", L"D:\\a|b", L"", P::BadName},
    FolderCase{"control_character", L"D:\\a\tb", L"", P::BadName},
    FolderCase{"longest", kLongest, kLongest},
    FolderCase{"one_too_long", kLongest + L"f", L"", P::TooLong},
    FolderCase{"relative_made_too_long", std::wstring(250, L'r'), L"", P::TooLong},
    FolderCase{"ten_thousand_characters", L"D:\\" + std::wstring(10000, L'x'), L"", P::TooLong},
    FolderCase{"huge_variable_many_times", std::wstring(L"D:\\") + L"%HUGE%%HUGE%%HUGE%%HUGE%", L"", P::TooLong}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FoldersOnTheWay, EachFolderBelowTheRootOutermostFirst)
{
    struct Case {
        std::wstring folder;
        std::vector<std::wstring> expected;
    };
    Case const cases[] = {
        {L"D:\\a\\b\\c", {L"D:\\a", L"D:\\a\\b", L"D:\\a\\b\\c"}},
        {L"D:\\a", {L"D:\\a"}},
        {L"D:", {}},
        {L"\\\\srv\\share\\a\\b", {L"\\\\srv\\share\\a", L"\\\\srv\\share\\a\\b"}},
        {L"\\\\srv\\share", {}},
        {L"relative\\a", {}},
    };
    for (Case const& c : cases)
        EXPECT_EQ(FoldersOnTheWay(c.folder), c.expected) << std::string(c.folder.begin(), c.folder.end());
}

} // namespace
