#include "shell/ui_text.h"

#include <array>
#include <cstddef>

namespace {

std::uint16_t const kPrimaryLanguageMask = 0x3FF;
std::uint16_t const kLanguageChinese = 0x04; // LANG_CHINESE: Simplified and Traditional

struct Words {
    std::wstring_view chinese;
    std::wstring_view english;
};

// In the order of UiText. The Chinese texts of the program's first version
// are kept to the letter.
std::array<Words, static_cast<std::size_t>(UiText::Count)> const kTexts = {{
    {L"开始截图\t\n延迟3秒", L"Capture in 3 seconds"},
    {L"保存方式", L"Save method"},
    {L"自动保存", L"Save automatically"},
    {L"手动保存", L"Save manually"},
    {L"保存位置…", L"Save folder…"},
    {L"打开保存文件夹", L"Open the save folder"},
    {L"其它设置", L"Other settings"},
    {L"自动裁剪", L"Auto-crop"},
    {L"包含指针", L"Include pointer"},
    {L"方格透明", L"Checkerboard transparency"},
    {L"复制到剪贴板", L"Copy to clipboard"},
    {L"文件名加时间", L"Add date and time to names"},
    {L"设置热键…", L"Set hot key…"},
    {L"关于我们", L"About"},
    {L"退出程序", L"Exit"},
    {L"关于我们", L"About Lucidframe"},
    {L"Lucidframe\n按 %s 截取前台窗口，连同透明效果保存为 PNG 图片。",
     L"Lucidframe\nPress %s to capture the window in front, with its transparency, as a PNG image."},
    {L"提示", L"Notice"},
    {L"注册热键 %s 失败，程序无法正常工作！", L"Registering the hot key %s failed; the program cannot work normally!"},
    {L"热键设置“%s”无法识别，已改用 Ctrl+PrtSc", L"The hot key \u201C%s\u201D is not understood; Ctrl+PrtSc serves instead"},
    {L"热键 %s 已被其他程序占用：请在“其它设置 → 设置热键…”中另选一个",
     L"Another program holds the hot key %s: choose another under Other settings \u2192 Set hot key\u2026"},
    {L"Windows 可能把 PrtSc 键交给屏幕截图：可在 Windows 设置的“辅助功能 → 键盘”中关闭用 Print Screen 键打开屏幕截图，"
     L"或在“其它设置 → 设置热键…”中另选热键",
     L"Windows may give PrtSc to its own screen capture: turn off \u201CUse the Print screen key to open screen "
     L"capture\u201D under Settings \u2192 Accessibility \u2192 Keyboard, or choose another hot key under Other "
     L"settings \u2192 Set hot key\u2026"},
    {L"设置热键", L"Set hot key"},
    {L"按下新的热键：", L"Press the new hot key:"},
    {L"热键 %s 已被其他程序占用，请另选一个。", L"Another program holds %s; choose another."},
    {L"请按下一个按键，不只是 Ctrl、Alt 或 Shift。", L"Press a key, not only Ctrl, Alt or Shift."},
    {L"这个按键不能用作热键：请选 A–Z、0–9、F1–F24、PrtSc、Pause、Insert、Home、End、PageUp 或 PageDown。",
     L"This key cannot be the hot key: choose A\u2013Z, 0\u20139, F1\u2013F24, PrtSc, Pause, Insert, Home, End, "
     L"PageUp or PageDown."},
    {L"这个按键要和 Ctrl 或 Alt 一起用。", L"This key needs Ctrl or Alt with it."},
    {L"确定", L"OK"},
    {L"取消", L"Cancel"},
    {L"选择保存位置", L"Choose the save folder"},
    {L"无法打开保存文件夹：%s", L"The save folder cannot be opened: %s"},
    {L"PNG格式", L"PNG image"},
    {L"已保存：", L"Saved: "},
    {L"保存失败：", L"Save failed: "},
    {L"截图失败：窗口无法置于最前（它可能以管理员身份运行）",
     L"Capture failed: the window cannot be brought to the front (it may run as administrator)"},
    {L"截图失败：窗口内容一直在变化，请再试一次", L"Capture failed: the window's content kept changing; please try again"},
    {L"截图失败：窗口没有响应", L"Capture failed: the window is not responding"},
    {L"截图失败：窗口不在任何显示器上", L"Capture failed: the window is on no monitor"},
    {L"截图失败：该窗口不允许截图", L"Capture failed: the window does not allow capture"},
    {L"截图失败：无法复制屏幕", L"Capture failed: the screen could not be copied"},
    {L"已复制到剪贴板", L"Copied to the clipboard"},
    {L"剪贴板被其他程序占用", L"The clipboard is held by another program"},
    {L"复制到剪贴板失败", L"Copying to the clipboard failed"},
    {L"提示：此显示器已开启 HDR，透明度可能不准确", L"Note: this monitor has HDR on; transparency may be inaccurate"},
}};

} // namespace

UiLanguage ChooseUiLanguage(int setting, std::uint16_t windowsUiLanguage)
{
    if (setting == 1)
        return UiLanguage::Chinese;
    if (setting == 2)
        return UiLanguage::English;
    return (windowsUiLanguage & kPrimaryLanguageMask) == kLanguageChinese ? UiLanguage::Chinese : UiLanguage::English;
}

std::wstring_view Text(UiText text, UiLanguage language)
{
    Words const& words = kTexts.at(static_cast<std::size_t>(text));
    return language == UiLanguage::Chinese ? words.chinese : words.english;
}

std::wstring Filled(UiText text, UiLanguage language, std::wstring_view value)
{
    std::wstring filled(Text(text, language));
    std::size_t const at = filled.find(L"%s");
    if (at != std::wstring::npos)
        filled.replace(at, 2, value);
    return filled;
}
