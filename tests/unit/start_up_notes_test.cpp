#include "shell/start_up_notes.h"

#include "shell/capture_outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NotesCase {
    const char* name;
    StartUpNotes notes;
    UiLanguage language;
    std::wstring expected;
};

void PrintTo(NotesCase const& c, std::ostream* out)
{
    *out << c.name;
}

class StartUpBalloonTable : public testing::TestWithParam<NotesCase> {};

TEST_P(StartUpBalloonTable, SaysWhatBecameOfTheHotKey)
{
    std::wstring const text = StartUpBalloonText(GetParam().notes, GetParam().language);
    EXPECT_EQ(text, GetParam().expected);
    EXPECT_LE(text.size(), kBalloonTextLength);
}

std::wstring const kPrintScreenChinese =
    L"Windows 可能把 PrtSc 键交给屏幕截图：可在 Windows 设置的“辅助功能 → 键盘”中关闭用 Print Screen 键打开屏幕截图，"
    L"或在“其它设置 → 设置热键…”中另选热键";
std::wstring const kHeldEnglish = L"Another program holds the hot key Ctrl+Shift+F9: choose another under Other settings → Set hot key…";
std::wstring const kPrintScreenEnglish =
    L"Windows may give PrtSc to its own screen capture: turn off “Use the Print screen key to open screen capture” "
    L"under Settings → Accessibility → Keyboard, or choose another hot key under Other settings → Set hot key…";

INSTANTIATE_TEST_SUITE_P(Notes, StartUpBalloonTable, testing::Values(
    NotesCase{"nothing_to_tell", {}, UiLanguage::Chinese, L""},
    NotesCase{"ignored_value", {L"Ctrl+Banana", L"", false}, UiLanguage::Chinese, L"热键设置“Ctrl+Banana”无法识别，已改用 Ctrl+PrtSc"},
    NotesCase{"ignored_value_of_ten_thousand_characters", {std::wstring(10000, L'x'), L"", false}, UiLanguage::English,
              L"The hot key “" + std::wstring(39, L'x') + L"…” is not understood; Ctrl+PrtSc serves instead"},
    NotesCase{"held", {L"", L"Ctrl+PrtSc", false}, UiLanguage::Chinese, L"热键 Ctrl+PrtSc 已被其他程序占用：请在“其它设置 → 设置热键…”中另选一个"},
    NotesCase{"print_screen_given_to_windows", {L"", L"", true}, UiLanguage::Chinese, kPrintScreenChinese},
    NotesCase{"held_and_print_screen", {L"", L"Ctrl+Shift+F9", true}, UiLanguage::English,
              kHeldEnglish + L"\n" + kPrintScreenEnglish.substr(0, 255 - kHeldEnglish.size() - 2) + L"…"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
