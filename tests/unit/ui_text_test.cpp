#include "shell/ui_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ChooseUiLanguage, FollowsWindowsUnlessTheSettingsSay)
{
    struct Case {
        int setting;
        std::uint16_t windows;
        UiLanguage expected;
    };
    Case const cases[] = {
        {0, 0x0804, UiLanguage::Chinese}, // zh-CN
        {0, 0x0404, UiLanguage::Chinese}, // zh-TW
        {0, 0x1004, UiLanguage::Chinese}, // zh-SG
        {0, 0x0409, UiLanguage::English},
        {0, 0x0411, UiLanguage::English}, // ja-JP
        {0, 0x0407, UiLanguage::English}, // de-DE
        {1, 0x0409, UiLanguage::Chinese},
        {2, 0x0804, UiLanguage::English},
        {3, 0x0804, UiLanguage::Chinese}, // an unknown choice follows Windows
        {-1, 0x0409, UiLanguage::English},
        {0x7FFFFFFF, 0x0804, UiLanguage::Chinese},
    };
    for (Case const& c : cases)
        EXPECT_EQ(ChooseUiLanguage(c.setting, c.windows), c.expected) << c.setting << " " << std::hex << c.windows;
}

int Placeholders(std::wstring_view text)
{
    int count = 0;
    for (std::size_t at = text.find(L"%s"); at != std::wstring_view::npos; at = text.find(L"%s", at + 1))
        ++count;
    return count;
}

// Every text is there in both languages, and a value fills both the same way.
TEST(UiText, EveryTextInBothLanguages)
{
    for (int id = 0; id < static_cast<int>(UiText::Count); ++id) {
        UiText const text = static_cast<UiText>(id);
        std::wstring_view const chinese = Text(text, UiLanguage::Chinese);
        std::wstring_view const english = Text(text, UiLanguage::English);
        EXPECT_FALSE(chinese.empty()) << id;
        EXPECT_FALSE(english.empty()) << id;
        EXPECT_NE(chinese, english) << id;
        EXPECT_EQ(Placeholders(chinese), Placeholders(english)) << id;
        EXPECT_LE(Placeholders(chinese), 1) << id;
        EXPECT_EQ(english.find_first_of(L"\u3000\uFF0C\uFF1A\u3002"), std::wstring_view::npos) << "Chinese punctuation, " << id;
    }
}

} // namespace
