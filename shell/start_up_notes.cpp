#include "shell/start_up_notes.h"

#include "base/wide_text.h"
#include "shell/capture_outcome.h"

namespace {

// Enough of a stored text for the user to recognise it.
std::size_t const kIgnoredTextLength = 40;

void AddLine(std::wstring& text, std::wstring const& line)
{
    if (!text.empty())
        text += L'\n';
    text += line;
}

} // namespace

std::wstring StartUpBalloonText(StartUpNotes const& notes, UiLanguage language)
{
    std::wstring text;
    if (!notes.ignoredHotKey.empty())
        AddLine(text, Filled(UiText::HotKeyIgnored, language, CutAtEnd(notes.ignoredHotKey, kIgnoredTextLength)));
    if (!notes.heldHotKey.empty())
        AddLine(text, Filled(UiText::HotKeyHeld, language, notes.heldHotKey));
    if (notes.windowsMayTakePrintScreen)
        AddLine(text, std::wstring(Text(UiText::PrintScreenTaken, language)));
    return CutAtEnd(text, kBalloonTextLength);
}
