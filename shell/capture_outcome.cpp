#include "shell/capture_outcome.h"

#include "base/wide_text.h"
#include "shell/ui_text.h"

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
    UiText text;
};

// The line `table` has for `value`, in `language`; empty where it has none.
template <class Value, std::size_t N>
std::wstring_view LineFor(Value value, Line<Value> const (&table)[N], UiLanguage language)
{
    for (Line<Value> const& line : table) {
        if (line.value == value)
            return Text(line.text, language);
    }
    return {};
}

// Why there is no file.
Line<CaptureStatus> const kStatusLines[] = {
    {CaptureStatus::NotInFront, UiText::BalloonNotInFront},
    {CaptureStatus::KeptChanging, UiText::BalloonKeptChanging},
    {CaptureStatus::NotAnswering, UiText::BalloonNotAnswering},
    {CaptureStatus::NotOnScreen, UiText::BalloonNotOnScreen},
    {CaptureStatus::Forbidden, UiText::BalloonForbidden},
    {CaptureStatus::CopyFailed, UiText::BalloonCopyFailed},
};

Line<ClipboardStatus> const kClipboardLines[] = {
    {ClipboardStatus::Copied, UiText::BalloonCopied},
    {ClipboardStatus::Busy, UiText::BalloonClipboardBusy},
    {ClipboardStatus::Failed, UiText::BalloonClipboardFailed},
};

// The start of the line that names the file.
Line<CaptureStatus> const kFileLinePrefixes[] = {
    {CaptureStatus::Saved, UiText::BalloonSaved},
    {CaptureStatus::SaveFailed, UiText::BalloonSaveFailed},
};

// The system's words for a failed save are one sentence; more would push the
// file's name out of the balloon.
std::size_t const kReasonLength = 100;

} // namespace

std::wstring BalloonText(CaptureOutcome const& outcome, UiLanguage language)
{
    std::wstring_view const filePrefix = LineFor(outcome.status, kFileLinePrefixes, language);
    std::vector<std::wstring_view> lines = {filePrefix.empty() ? LineFor(outcome.status, kStatusLines, language)
                                                               : filePrefix};
    std::wstring const reason =
        outcome.status == CaptureStatus::SaveFailed ? CutAtEnd(outcome.reason, kReasonLength) : std::wstring();
    lines.push_back(reason);
    // A user who has just saved through the dialog knows where the capture
    // went; the clipboard is worth a word only when it did not take it.
    bool const quiet = outcome.status == CaptureStatus::SavedThroughDialog && outcome.clipboard == ClipboardStatus::Copied;
    lines.push_back(quiet ? std::wstring_view() : LineFor(outcome.clipboard, kClipboardLines, language));
    if (outcome.transferUnknown)
        lines.push_back(Text(UiText::BalloonTransferUnknown, language));

    std::wstring text;
    for (std::wstring_view const line : lines) {
        if (line.empty())
            continue;
        if (!text.empty())
            text += L'\n';
        text += line;
    }
    // The file's line comes first; its name takes the room the others leave,
    // which is always more than forty characters.
    if (!filePrefix.empty())
        text.insert(filePrefix.size(), ShortenFileName(outcome.fileName, kBalloonTextLength - text.size()));
    return text;
}
