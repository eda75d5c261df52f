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

std::wstring_view StatusLine(CaptureStatus status, UiLanguage language)
{
    switch (status) {
    case CaptureStatus::NotInFront:
        return Text(UiText::BalloonNotInFront, language);
    case CaptureStatus::KeptChanging:
        return Text(UiText::BalloonKeptChanging, language);
    case CaptureStatus::NotAnswering:
        return Text(UiText::BalloonNotAnswering, language);
    case CaptureStatus::NotOnScreen:
        return Text(UiText::BalloonNotOnScreen, language);
    case CaptureStatus::CopyFailed:
        return Text(UiText::BalloonCopyFailed, language);
    default:
        return {};
    }
}

std::wstring_view ClipboardLine(ClipboardStatus clipboard, UiLanguage language)
{
    switch (clipboard) {
    case ClipboardStatus::Copied:
        return Text(UiText::BalloonCopied, language);
    case ClipboardStatus::Busy:
        return Text(UiText::BalloonClipboardBusy, language);
    case ClipboardStatus::Failed:
        return Text(UiText::BalloonClipboardFailed, language);
    default:
        return {};
    }
}

// The system's words for a failed save are one sentence; more would push the
// file's name out of the balloon.
std::size_t const kReasonLength = 100;

std::wstring_view FileLinePrefix(CaptureStatus status, UiLanguage language)
{
    switch (status) {
    case CaptureStatus::Saved:
        return Text(UiText::BalloonSaved, language);
    case CaptureStatus::SaveFailed:
        return Text(UiText::BalloonSaveFailed, language);
    default:
        return {};
    }
}

} // namespace

std::wstring BalloonText(CaptureOutcome const& outcome, UiLanguage language)
{
    std::wstring_view const filePrefix = FileLinePrefix(outcome.status, language);
    std::vector<std::wstring_view> lines = {filePrefix.empty() ? StatusLine(outcome.status, language) : filePrefix};
    std::wstring const reason =
        outcome.status == CaptureStatus::SaveFailed ? CutAtEnd(outcome.reason, kReasonLength) : std::wstring();
    lines.push_back(reason);
    // A user who has just saved through the dialog knows where the capture
    // went; the clipboard is worth a word only when it did not take it.
    bool const quiet = outcome.status == CaptureStatus::SavedThroughDialog && outcome.clipboard == ClipboardStatus::Copied;
    lines.push_back(quiet ? std::wstring_view() : ClipboardLine(outcome.clipboard, language));
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
