#include "shell/hot_key.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

std::uint32_t const kF9 = 0x78;
std::uint32_t const kF24 = 0x87;
std::uint32_t const kHome = 0x24;
std::uint32_t const kPageDown = 0x22;
std::uint32_t const kPause = 0x13;

struct ParseCase {
    const char* name;
    std::wstring text;
    std::optional<HotKey> expected;
    std::wstring written = {}; // the text the settings file gets back; empty: as given
};

void PrintTo(ParseCase const& c, std::ostream* out)
{
    *out << c.name;
}

class ParseHotKeyTable : public testing::TestWithParam<ParseCase> {};

// A key that parses is written back in one form, which reads as the same key.
TEST_P(ParseHotKeyTable, ReadsOnlyWhatNamesOneKey)
{
    ParseCase const& c = GetParam();
    std::optional<HotKey> const parsed = ParseHotKey(c.text);
    EXPECT_EQ(parsed, c.expected);
    EXPECT_EQ(HotKeyOrDefault(c.text), c.expected.value_or(kDefaultHotKey));
    if (!parsed)
        return;
    std::wstring const written = HotKeyText(*parsed);
    EXPECT_EQ(written, c.written.empty() ? c.text : c.written);
    EXPECT_EQ(ParseHotKey(written), parsed);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseHotKeyTable, testing::Values(
    ParseCase{"default", L"Ctrl+PrtSc", kDefaultHotKey},
    ParseCase{"three_parts", L"Ctrl+Shift+F9", HotKey{kModControl | kModShift, kF9}},
    ParseCase{"every_modifier", L"Ctrl+Alt+Shift+Win+PageDown", HotKey{kModControl | kModAlt | kModShift | kModWin, kPageDown}},
    ParseCase{"modifiers_in_any_order", L"Win+Shift+A", HotKey{kModShift | kModWin, 'A'}, L"Shift+Win+A"},
    ParseCase{"any_case_and_blanks", L" ctrl + SHIFT +\tf9 ", HotKey{kModControl | kModShift, kF9}, L"Ctrl+Shift+F9"},
    ParseCase{"lower_case_letter", L"alt+z", HotKey{kModAlt, 'Z'}, L"Alt+Z"},
    ParseCase{"digit", L"Ctrl+0", HotKey{kModControl, '0'}},
    ParseCase{"last_function_key", L"Alt+F24", HotKey{kModAlt, kF24}},
    ParseCase{"function_key_alone", L"F9", HotKey{0, kF9}},
    ParseCase{"print_screen_alone", L"PrtSc", HotKey{0, kKeyPrintScreen}},
    ParseCase{"pause_with_shift", L"Shift+Pause", HotKey{kModShift, kPause}},
    ParseCase{"editing_key_with_ctrl", L"Ctrl+Home", HotKey{kModControl, kHome}},
    // Bad input: nothing, modifiers alone, a name twice, unknown names, a key
    // that every program's typing uses.
    ParseCase{"empty", L"", std::nullopt},
    ParseCase{"only_blanks", L"   ", std::nullopt},
    ParseCase{"modifiers_only", L"Ctrl+Shift", std::nullopt},
    ParseCase{"trailing_plus", L"Ctrl+", std::nullopt},
    ParseCase{"empty_part", L"Ctrl++F9", std::nullopt},
    ParseCase{"modifier_twice", L"Ctrl+ctrl+F9", std::nullopt},
    ParseCase{"key_twice", L"Ctrl+F9+F9", std::nullopt},
    ParseCase{"two_keys", L"Ctrl+A+B", std::nullopt},
    ParseCase{"unknown_key", L"Ctrl+Banana", std::nullopt},
    ParseCase{"unknown_modifier", L"Hyper+F9", std::nullopt},
    ParseCase{"other_names_of_print_screen", L"Ctrl+PrintScreen", std::nullopt},
    ParseCase{"function_key_zero", L"Ctrl+F0", std::nullopt},
    ParseCase{"function_key_past_24", L"Ctrl+F25", std::nullopt},
    ParseCase{"function_key_leading_zero", L"Ctrl+F09", std::nullopt},
    ParseCase{"full_width_letters", L"\uFF23trl+\uFF21", std::nullopt},
    ParseCase{"nul_inside", std::wstring(L"Ctrl+F9\0x", 9), std::nullopt},
    ParseCase{"letter_alone", L"A", std::nullopt},
    ParseCase{"letter_with_shift_only", L"Shift+A", std::nullopt},
    ParseCase{"editing_key_alone", L"Home", std::nullopt},
    ParseCase{"ten_thousand_characters", L"Ctrl+F9" + std::wstring(10000, L' '), std::nullopt},
    ParseCase{"longest_text_plus_one", L"Ctrl+F9" + std::wstring(58, L' '), std::nullopt},
    ParseCase{"longest_text", L"Ctrl+F9" + std::wstring(57, L' '), HotKey{kModControl, kF9}, L"Ctrl+F9"}),
    [](const auto& info) { return std::string(info.param.name); });

// What the hot-key control hands back is checked before it is registered.
TEST(CheckHotKey, RefusesWhatCannotStartCaptures)
{
    struct Case {
        HotKey hotKey;
        HotKeyProblem expected;
    };
    Case const cases[] = {
        {kDefaultHotKey, HotKeyProblem::None},
        {{kModControl, 0}, HotKeyProblem::NoKey},
        {{0, 0}, HotKeyProblem::NoKey},
        {{kModControl, 0x25}, HotKeyProblem::UnknownKey},      // Left
        {{kModControl, 0x60}, HotKeyProblem::UnknownKey},      // the keypad's 0
        {{kModControl, 0x88}, HotKeyProblem::UnknownKey},      // past F24
        {{kModControl | 0x4000, kF9}, HotKeyProblem::UnknownKey}, // MOD_NOREPEAT is the program's to add
        {{kModShift, 'Q'}, HotKeyProblem::NeedsModifier},
        {{0, kPageDown}, HotKeyProblem::NeedsModifier},
        {{kModWin, 'Q'}, HotKeyProblem::None},
        {{kModShift, kF24}, HotKeyProblem::None},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(CheckHotKey(c.hotKey), c.expected) << c.hotKey.modifiers << " " << c.hotKey.key;
        EXPECT_EQ(HotKeyText(c.hotKey).empty(), c.expected != HotKeyProblem::None) << c.hotKey.key;
    }
}

// The setting is the user's: its stored value decides, and only where there
// is none does Windows' default for the build.
TEST(WindowsMayTakePrintScreen, OnlyForPrintScreenWithTheSettingOn)
{
    struct Case {
        HotKey hotKey;
        std::optional<std::uint32_t> setting;
        std::uint32_t build;
        bool expected;
    };
    Case const cases[] = {
        {kDefaultHotKey, 1, 22621, true},
        {kDefaultHotKey, 0, 26100, false},
        {kDefaultHotKey, std::nullopt, 26100, true},
        {kDefaultHotKey, std::nullopt, 22631, false},
        {kDefaultHotKey, std::nullopt, 7601, false},
        {{0, kKeyPrintScreen}, 2, 19045, true},
        {{kModControl, kF9}, 1, 26100, false},
    };
    for (Case const& c : cases)
        EXPECT_EQ(WindowsMayTakePrintScreen(c.hotKey, c.setting, c.build), c.expected)
            << c.hotKey.key << " " << c.setting.value_or(99) << " " << c.build;
}

} // namespace
