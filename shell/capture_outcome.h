#pragma once

#include <cstddef>
#include <string>

#include "output/clipboard_status.h"
#include "shell/ui_text.h"

// What became of one capture, as far as the user is told.
enum class CaptureStatus {
    NoTarget,           // no window, or the host itself in front: nothing to say
    Saved,              // written automatically, under `fileName`
    SavedThroughDialog, // the user chose where; the file is where they looked
    DialogCancelled,
    NotInFront,   // the window would not come in front of the backdrop
    KeptChanging, // the copies stayed stale, or the content moved between them
    NotAnswering,
    NotOnScreen,  // the window lies on no monitor (minimised, or moved off every one)
    CopyFailed,   // the screen copy could not be made (out of memory or GDI objects)
    SaveFailed,   // nothing written to `fileName`; `reason` says why
};

struct CaptureOutcome {
    CaptureStatus status = CaptureStatus::NoTarget;
    ClipboardStatus clipboard = ClipboardStatus::Untouched;
    std::wstring fileName = {}; // the file's own name, without its folder
    std::wstring reason = {};   // the system's words for a failed save
    bool transferUnknown = false; // the monitor composes in linear light (HDR), and no copy has yet told how
};

// The balloon's text is one buffer of this many characters and its terminator.
inline constexpr std::size_t kBalloonTextLength = 255;

// The words of the tray balloon for `outcome` in `language`, one line per fact, at most
// kBalloonTextLength characters: a long file name is shortened in its middle,
// keeping its extension, and a long reason at its end. Empty when the outcome
// is nothing to tell.
std::wstring BalloonText(CaptureOutcome const& outcome, UiLanguage language);
