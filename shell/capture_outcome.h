#pragma once

#include <cstddef>
#include <string>

#include "capture/capture_status.h"
#include "output/clipboard_status.h"
#include "shell/ui_text.h"

// What became of one capture, as far as the user is told.
struct CaptureOutcome {
    CaptureStatus status = CaptureStatus::NoTarget;
    ClipboardStatus clipboard = ClipboardStatus::Untouched;
    std::wstring fileName = {}; // the file's own name, without its folder: Saved, or SaveFailed
    std::wstring reason = {};   // the system's words for a failed save
    bool transferUnknown = false; // the monitor composes in linear light (HDR), and no copy has yet told how
    std::wstring savedFile = {};  // the whole path of an automatic save, for a click on the balloon
};

// The balloon's text is one buffer of this many characters and its terminator.
inline constexpr std::size_t kBalloonTextLength = 255;

// The words of the tray balloon for `outcome` in `language`, one line per fact, at most
// kBalloonTextLength characters: a long file name is shortened in its middle,
// keeping its extension, and a long reason at its end. Empty when the outcome
// is nothing to tell.
std::wstring BalloonText(CaptureOutcome const& outcome, UiLanguage language);
