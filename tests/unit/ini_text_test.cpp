#include "shell/ini_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

struct IntCase {
    const char* name;
    std::string_view value;
    std::int32_t expected;
};

class ParseIniIntTable : public testing::TestWithParam<IntCase> {};

TEST_P(ParseIniIntTable, ReadsTheLeadingInteger)
{
    EXPECT_EQ(ParseIniInt(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ParseIniIntTable, testing::Values(
    IntCase{"five", "5", 5},
    IntCase{"blanks_and_zeros", " \t007 ", 7},
    IntCase{"signs", "-1", -1},
    IntCase{"plus", "+3", 3},
    IntCase{"digits_then_text", "12abc", 12},
    IntCase{"text", "abc", 0},
    IntCase{"sign_only", "-", 0},
    IntCase{"hex_is_not_read", "0x10", 0},
    IntCase{"largest", "2147483647", INT32_MAX},
    IntCase{"huge_stays_non_zero", "4294967296", INT32_MAX},
    IntCase{"smallest", "-2147483648", INT32_MIN},
    IntCase{"huge_negative", "-99999999999999999999", INT32_MIN}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr char kNotTextBytes[] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR[S\xFF]\0k=1";

struct FindCase {
    const char* name;
    std::string_view text;
    std::optional<std::string_view> expected; // the value of [S] k
};

class FindIniValueTable : public testing::TestWithParam<FindCase> {};

TEST_P(FindIniValueTable, FindsTheFirstKeyOfTheFirstSection)
{
    EXPECT_EQ(FindIniValue(GetParam().text, "S", "k"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, FindIniValueTable, testing::Values(
    FindCase{"crlf_without_final_newline", "[S]\r\nk=1", "1"},
    FindCase{"blanks_and_case", "  [s]  \n  K  =  7  \n", "7"},
    FindCase{"utf8_byte_order_mark", "\xEF\xBB\xBF[S]\nk=3\n", "3"},
    FindCase{"no_equals_is_empty", "[S]\nk\n", ""},
    FindCase{"value_with_equals", "[S]\nk=a=b\n", "a=b"},
    FindCase{"quotes_dropped", "[S]\nk = \"5\" \nj='x'\n", "5"},
    FindCase{"unmatched_quotes_kept", "[S]\nk=\"5'\n", "\"5'"},
    FindCase{"after_longer_key", "[S]\nkk=9\nk=4\n", "4"},
    FindCase{"first_of_duplicate_keys", "[S]\nk=0\nk=1\n", "0"},
    FindCase{"only_first_of_duplicate_sections", "[S]\na=1\n[S]\nk=1\n", std::nullopt},
    FindCase{"before_any_section", "k=1\n[S]\n[T]\nk=1\n", std::nullopt},
    FindCase{"unclosed_header_is_not_a_section", "[S\nk=1\n", std::nullopt},
    FindCase{"not_text", std::string_view(kNotTextBytes, sizeof kNotTextBytes - 1), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct SetCase {
    const char* name;
    std::string_view before;
    std::string_view after; // once [S] k is set to 1
};

class SetIniValueTable : public testing::TestWithParam<SetCase> {};

TEST_P(SetIniValueTable, ChangesOnlyThatKey)
{
    EXPECT_EQ(SetIniValue(GetParam().before, "S", "k", "1"), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Files, SetIniValueTable, testing::Values(
    SetCase{"new_file", "", "[S]\nk=1\n"},
    SetCase{"replace_first_duplicate_keeping_crlf", "[S]\r\n K = 5\r\nk=7\r\n", "[S]\r\nk=1\r\nk=7\r\n"},
    SetCase{"replace_without_final_newline", "\xEF\xBB\xBF[S]\nk=0", "\xEF\xBB\xBF[S]\nk=1"},
    SetCase{"add_after_last_key_of_section", "[S]\na=1\n\n[T]\nb=2\n", "[S]\na=1\nk=1\n\n[T]\nb=2\n"},
    SetCase{"add_to_unfinished_last_line", "[S]\na=1", "[S]\na=1\nk=1\n"},
    SetCase{"add_section_keeps_other_lines", "; note\r\n[T]\r\nb = 2 \r\n", "; note\r\n[T]\r\nb = 2 \r\n[S]\r\nk=1\r\n"},
    SetCase{"keep_bytes_that_are_not_text", std::string_view("\0\xFF\n", 3), std::string_view("\0\xFF\n[S]\nk=1\n", 11)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WideToUtf8, EncodesEveryPlaneAndReplacesLoneSurrogates)
{
    EXPECT_EQ(WideToUtf8(L"a\u00E9\u7A0B\U0001F600"), "a\xC3\xA9\xE7\xA8\x8B\xF0\x9F\x98\x80");
    std::wstring const loneSurrogates = {wchar_t(0xDC00), L'x', wchar_t(0xD800)};
    EXPECT_EQ(WideToUtf8(loneSurrogates), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

} // namespace
