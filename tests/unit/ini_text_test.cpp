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
    IntCase{"zero", "0", 0},
    IntCase{"one", "1", 1},
    IntCase{"five", "5", 5},
    IntCase{"blanks_around", " \t42 ", 42},
    IntCase{"leading_zeros", "007", 7},
    IntCase{"plus", "+3", 3},
    IntCase{"negative", "-1", -1},
    IntCase{"digits_then_text", "12abc", 12},
    IntCase{"text", "abc", 0},
    IntCase{"sign_only", "-", 0},
    IntCase{"blank_inside", "1 2", 1},
    IntCase{"hex_is_not_read", "0x10", 0},
    IntCase{"largest", "2147483647", 2147483647},
    IntCase{"beyond_largest", "2147483648", 2147483647},
    IntCase{"huge", "99999999999999999999999", 2147483647},
    IntCase{"huge_multiple_of_two_to_32", "4294967296", 2147483647},
    IntCase{"smallest", "-2147483648", INT32_MIN},
    IntCase{"huge_negative", "-99999999999999999999", INT32_MIN},
    IntCase{"empty", "", 0}),
    [](const testing::TestParamInfo<IntCase>& info) { return info.param.name; });

constexpr char kNotTextBytes[] = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR[S\xFF]\0k=1";
constexpr std::string_view kNotText(kNotTextBytes, sizeof kNotTextBytes - 1);

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
    FindCase{"plain", "[S]\nk=1\n", "1"},
    FindCase{"crlf", "[S]\r\nk=1\r\n", "1"},
    FindCase{"no_final_newline", "[S]\nk=1", "1"},
    FindCase{"blanks", "  [S]  \n  k  =  7  \n", "7"},
    FindCase{"case_insensitive_names", "[s]\nK=2\n", "2"},
    FindCase{"utf8_byte_order_mark", "\xEF\xBB\xBF[S]\nk=3\n", "3"},
    FindCase{"empty_value", "[S]\nk=\n", ""},
    FindCase{"no_equals", "[S]\nk\n", ""},
    FindCase{"value_with_equals", "[S]\nk=a=b\n", "a=b"},
    FindCase{"double_quotes_dropped", "[S]\nk = \"5\" \n", "5"},
    FindCase{"single_quotes_dropped", "[S]\nk='a b'\n", "a b"},
    FindCase{"unmatched_quotes_kept", "[S]\nk=\"5'\n", "\"5'"},
    FindCase{"lone_quote_kept", "[S]\nk=\"\n", "\""},
    FindCase{"after_other_keys", "[S]\na=0\nkk=9\nk=4\n", "4"},
    FindCase{"first_of_duplicate_keys", "[S]\nk=0\nk=1\n", "0"},
    FindCase{"only_first_of_duplicate_sections", "[S]\na=1\n[S]\nk=1\n", std::nullopt},
    FindCase{"in_other_section", "[T]\nk=1\n", std::nullopt},
    FindCase{"before_any_section", "k=1\n[S]\n", std::nullopt},
    FindCase{"section_ends_at_next", "[S]\n[T]\nk=1\n", std::nullopt},
    FindCase{"unclosed_header_is_not_a_section", "[S\nk=1\n", std::nullopt},
    FindCase{"missing_section", "", std::nullopt},
    FindCase{"not_text", kNotText, std::nullopt},
    FindCase{"chinese_section_is_not_s", "[\xE7\xA8\x8B]\nk=1\n", std::nullopt}),
    [](const testing::TestParamInfo<FindCase>& info) { return info.param.name; });

struct SetCase {
    const char* name;
    std::string_view before;
    std::string_view after; // once [S] k is set to 1
};

class SetIniValueTable : public testing::TestWithParam<SetCase> {};

TEST_P(SetIniValueTable, ChangesOnlyThatKey)
{
    std::string const after = SetIniValue(GetParam().before, "S", "k", "1");
    EXPECT_EQ(after, GetParam().after);
    EXPECT_EQ(FindIniValue(after, "S", "k"), "1");
}

INSTANTIATE_TEST_SUITE_P(Files, SetIniValueTable, testing::Values(
    SetCase{"new_file", "", "[S]\nk=1\n"},
    SetCase{"replace", "[S]\nk=0\n", "[S]\nk=1\n"},
    SetCase{"replace_keeps_crlf", "[S]\r\nk=0\r\nz=2\r\n", "[S]\r\nk=1\r\nz=2\r\n"},
    SetCase{"replace_first_duplicate_only", "[S]\n K = 5\nk=7\n", "[S]\nk=1\nk=7\n"},
    SetCase{"replace_without_final_newline", "[S]\nk=0", "[S]\nk=1"},
    SetCase{"add_after_last_key_of_section", "[S]\na=1\n\n[T]\nb=2\n", "[S]\na=1\nk=1\n\n[T]\nb=2\n"},
    SetCase{"add_to_empty_section", "[S]\n[T]\n", "[S]\nk=1\n[T]\n"},
    SetCase{"add_to_last_section_without_final_newline", "[S]\na=1", "[S]\na=1\nk=1\n"},
    SetCase{"add_section_keeps_other_lines", "; note\r\n[T]\r\nb = 2 \r\n", "; note\r\n[T]\r\nb = 2 \r\n[S]\r\nk=1\r\n"},
    SetCase{"add_section_after_unfinished_line", "[T]\nb=2", "[T]\nb=2\n[S]\nk=1\n"},
    SetCase{"keep_byte_order_mark", "\xEF\xBB\xBF[S]\nk=0\n", "\xEF\xBB\xBF[S]\nk=1\n"},
    SetCase{"keep_bytes_that_are_not_text", std::string_view("\0\xFF\n", 3), std::string_view("\0\xFF\n[S]\nk=1\n", 11)}),
    [](const testing::TestParamInfo<SetCase>& info) { return info.param.name; });

TEST(WideToUtf8, EncodesEveryPlane)
{
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(WideToUtf8(L"a\u00E9\u7A0B"), "a\xC3\xA9\xE7\xA8\x8B");
    EXPECT_EQ(WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    std::wstring const loneSurrogates = {wchar_t(0xDC00), L'x', wchar_t(0xD800)};
    EXPECT_EQ(WideToUtf8(loneSurrogates), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

} // namespace
