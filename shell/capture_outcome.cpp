#include "shell/capture_outcome.h"

#include "base/wide_text.h"

#include <string_view>
#include <vector>

namespace {

wchar_t const kEllipsis = L'\u2026';

// The first `length` characters of `text`, one fewer where that would split a
// surrogate pair.
std::wstring_view Prefix(std::wstring_view text, std::size_t length)
{
    return text.substr(0, SurrogateSafeCut(text, length));
}

// `text` in at most `room` characters, ending in an ellipsis where cut.
std::wstring CutAtEnd(std::wstring_view text, std::size_t room)
{
    if (text.size() <= room)
        return std::wstring(text);
    if (room == 0)
        return {};
    return std::wstring(Prefix(text, room - 1)) + kEllipsis;
}

// A file name in at most `room` characters: the start of its stem, an
// ellipsis and its extension, so that the user still recognises it.
std::wstring ShortenFileName(std::wstring_view name, std::size_t room)
{
    if (name.size() <= room)
        return std::wstring(name);
    std::size_t const dot = name.rfind(L'.');
    std::wstring_view const extension = dot == std::wstring_view::npos ? std::wstring_view() : name.substr(dot);
    if (extension.size() + 1 >= room)
        return CutAtEnd(name, room);
    return std::wstring(Prefix(name, room - extension.size() - 1)) + kEllipsis + std::wstring(extension);
}

// A line of the balloon for each value it has one for.
template <class Value>
struct Line {
    Value value;
    std::wstring_view text;
};

// The line `table` has for `value`; empty where it has none.
template <class Value, std::size_t N>
std::wstring_view LineFor(Value value, Line<Value> const (&table)[N])
{
    for (Line<Value> const& line : table) {
        if (line.value == value)
            return line.text;
    }
    return {};
}

// Why there is no file.
Line<CaptureStatus> const kStatusLines[] = {
    {CaptureStatus::NotInFront, L"截图失败：窗口无法置于最前（它可能以管理员身份运行）"},
    {CaptureStatus::KeptChanging, L"截图失败：窗口内容一直在变化，请再试一次"},
    {CaptureStatus::NotAnswering, L"截图失败：窗口没有响应"},
    {CaptureStatus::NotOnScreen, L"截图失败：窗口不在任何显示器上"},
    {CaptureStatus::CopyFailed, L"截图失败：无法复制屏幕"},
};

Line<ClipboardStatus> const kClipboardLines[] = {
    {ClipboardStatus::Copied, L"已复制到剪贴板"},
    {ClipboardStatus::Busy, L"剪贴板被其他程序占用"},
    {ClipboardStatus::Failed, L"复制到剪贴板失败"},
};

// The start of the line that names the file.
Line<CaptureStatus> const kFileLinePrefixes[] = {
    {CaptureStatus::Saved, L"已保存："},
    {CaptureStatus::SaveFailed, L"保存失败："},
};

// The system's words for a failed save are one sentence; more would push the
// file's name out of the balloon.
std::size_t const kReasonLength = 100;

} // namespace

std::wstring BalloonText(CaptureOutcome const& outcome)
{
    std::wstring_view const filePrefix = LineFor(outcome.status, kFileLinePrefixes);
    std::vector<std::wstring_view> lines = {filePrefix.empty() ? LineFor(outcome.status, kStatusLines) : filePrefix};
    std::wstring const reason =
        outcome.status == CaptureStatus::SaveFailed ? CutAtEnd(outcome.reason, kReasonLength) : std::wstring();
    lines.push_back(reason);
    // A user who has just saved through the dialog knows where the capture
    // went; the clipboard is worth a word only when it did not take it.
    bool const quiet = outcome.status == CaptureStatus::SavedThroughDialog && outcome.clipboard == ClipboardStatus::Copied;
    lines.push_back(quiet ? std::wstring_view() : LineFor(outcome.clipboard, kClipboardLines));
    if (outcome.transferUnknown)
        lines.push_back(L"提示：此显示器已开启 HDR，透明度可能不准确");

    std::wstring text;
    for (std::wstring_view const line : lines) {
        if (line.empty())
            continue;
        if (!text.empty())
            text += L'\n';
        text += line;
    }
    // The file's line comes first; its name takes the room the others leave,
    // which is always more than a hundred characters.
    if (!filePrefix.empty())
        text.insert(filePrefix.size(), ShortenFileName(outcome.fileName, kBalloonTextLength - text.size()));
    return text;
}
