#include "shell/capture_outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct BalloonCase {
    const char* name;
    CaptureOutcome outcome;
    std::wstring expected;
    UiLanguage language = UiLanguage::Chinese;
};

void PrintTo(BalloonCase const& c, std::ostream* out)
{
    *out << c.name;
}

class BalloonTextTable : public testing::TestWithParam<BalloonCase> {};

TEST_P(BalloonTextTable, SaysWhatBecameOfTheCapture)
{
    std::wstring const text = BalloonText(GetParam().outcome, GetParam().language);
    EXPECT_EQ(text, GetParam().expected);
    EXPECT_LE(text.size(), kBalloonTextLength);
}

using S = CaptureStatus;
using C = ClipboardStatus;
CaptureOutcome Outcome(S status, C clipboard = C::Untouched, std::wstring fileName = {}, std::wstring reason = {},
                       bool transferUnknown = false)
{
    return {status, clipboard, fileName, reason, transferUnknown};
}

std::wstring const kLongStem(300, L't');
std::wstring const kLongReason(150, L'r');

INSTANTIATE_TEST_SUITE_P(Outcomes, BalloonTextTable, testing::Values(
    BalloonCase{"host_or_no_window", Outcome(S::NoTarget, C::Untouched), L""},
    BalloonCase{"saved", Outcome(S::Saved, C::Untouched, L"Sample.png"), L"已保存：Sample.png"},
    BalloonCase{"saved_and_copied", Outcome(S::Saved, C::Copied, L"Sample.png"), L"已保存：Sample.png\n已复制到剪贴板"},
    BalloonCase{"saved_beside_a_held_file", Outcome(S::Saved, C::Copied, L"Sample (2).png"),
                L"已保存：Sample (2).png\n已复制到剪贴板"},
    BalloonCase{"saved_clipboard_held", Outcome(S::Saved, C::Busy, L"Sample.png"), L"已保存：Sample.png\n剪贴板被其他程序占用"},
    BalloonCase{"saved_clipboard_refused", Outcome(S::Saved, C::Failed, L"Sample.png"), L"已保存：Sample.png\n复制到剪贴板失败"},
    BalloonCase{"saved_through_the_dialog", Outcome(S::SavedThroughDialog, C::Copied, L"shot.png"), L""},
    BalloonCase{"saved_through_the_dialog_clipboard_held", Outcome(S::SavedThroughDialog, C::Busy), L"剪贴板被其他程序占用"},
    BalloonCase{"dialog_cancelled_copied", Outcome(S::DialogCancelled, C::Copied), L"已复制到剪贴板"},
    BalloonCase{"dialog_cancelled_nothing_copied", Outcome(S::DialogCancelled, C::Untouched), L""},
    BalloonCase{"not_in_front", Outcome(S::NotInFront), L"截图失败：窗口无法置于最前（它可能以管理员身份运行）"},
    BalloonCase{"kept_changing", Outcome(S::KeptChanging), L"截图失败：窗口内容一直在变化，请再试一次"},
    BalloonCase{"not_answering", Outcome(S::NotAnswering), L"截图失败：窗口没有响应"},
    BalloonCase{"not_on_screen", Outcome(S::NotOnScreen), L"截图失败：窗口不在任何显示器上"},
    BalloonCase{"forbidden", Outcome(S::Forbidden), L"截图失败：该窗口不允许截图"},
    BalloonCase{"copy_failed", Outcome(S::CopyFailed), L"截图失败：无法复制屏幕"},
    BalloonCase{"save_failed", Outcome(S::SaveFailed, C::Copied, L"Sample.png", L"Access denied."),
                L"保存失败：Sample.png\nAccess denied.\n已复制到剪贴板"},
    BalloonCase{"save_failed_without_words", Outcome(S::SaveFailed, C::Untouched, L"Sample.png"), L"保存失败：Sample.png"},
    BalloonCase{"linear_light_unmeasured", Outcome(S::Saved, C::Copied, L"a.png", L"", true),
                L"已保存：a.png\n已复制到剪贴板\n提示：此显示器已开启 HDR，透明度可能不准确"},
    BalloonCase{"linear_light_unmeasured_after_the_dialog", Outcome(S::SavedThroughDialog, C::Copied, L"a.png", L"", true),
                L"提示：此显示器已开启 HDR，透明度可能不准确"},
    // 255 characters: "已保存：", the name, "\n已复制到剪贴板".
    BalloonCase{"long_name_keeps_its_extension", Outcome(S::Saved, C::Copied, kLongStem + L".png"),
                L"已保存：" + std::wstring(238, L't') + L"\u2026.png\n已复制到剪贴板"},
    BalloonCase{"long_name_without_extension_cut_at_its_end", Outcome(S::Saved, C::Untouched, kLongStem),
                L"已保存：" + std::wstring(250, L't') + L"\u2026"},
    BalloonCase{"long_reason_cut_at_its_end", Outcome(S::SaveFailed, C::Untouched, L"a.png", kLongReason),
                L"保存失败：a.png\n" + std::wstring(99, L'r') + L"\u2026"},
    BalloonCase{"english_saved_and_copied", Outcome(S::Saved, C::Copied, L"Sample.png"),
                L"Saved: Sample.png\nCopied to the clipboard", UiLanguage::English},
    BalloonCase{"english_not_in_front", Outcome(S::NotInFront),
                L"Capture failed: the window cannot be brought to the front (it may run as administrator)",
                UiLanguage::English},
    BalloonCase{"english_forbidden", Outcome(S::Forbidden), L"Capture failed: the window does not allow capture",
                UiLanguage::English},
    BalloonCase{"english_save_failed_clipboard_held", Outcome(S::SaveFailed, C::Busy, L"Sample.png", L"Access denied."),
                L"Save failed: Sample.png\nAccess denied.\nThe clipboard is held by another program", UiLanguage::English},
    // The longest lines of all leave the name 47 characters.
    BalloonCase{"english_longest_lines_around_a_long_name",
                Outcome(S::SaveFailed, C::Failed, kLongStem + L".png", kLongReason, true),
                L"Save failed: " + std::wstring(42, L't') + L"\u2026.png\n" + std::wstring(99, L'r') +
                    L"\u2026\nCopying to the clipboard failed\nNote: this monitor has HDR on; transparency may be inaccurate",
                UiLanguage::English},
    BalloonCase{"name_cut_before_a_surrogate_pair", Outcome(S::Saved, C::Untouched, std::wstring(249, L't') + L"\xD83D\xDE00 x"),
                L"已保存：" + std::wstring(249, L't') + L"\u2026"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
