#pragma once

#include <string>

#include "shell/ui_text.h"

// What start-up found about the hot key that the user should hear of.
struct StartUpNotes {
    std::wstring ignoredHotKey; // a stored hot key that does not parse: the default serves instead
    std::wstring heldHotKey;    // the key that could not be registered: another program holds it
    bool windowsMayTakePrintScreen = false;
};

// The words of the balloon that start-up shows, one line per note, at most
// kBalloonTextLength characters (capture_outcome.h): an ignored text is cut
// short, since the user knows what they wrote. Empty when there is nothing
// to tell.
std::wstring StartUpBalloonText(StartUpNotes const& notes, UiLanguage language);
