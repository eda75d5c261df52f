#pragma once

// What became of one capture, as far as the user is told. Each status is
// decided in one place: the shell finds no target, one that does not
// answer or one that does not allow capture; the capture (capture_policy.h) mattes the copies or says why it
// could not; the delivery says where a matted capture went.
enum class CaptureStatus {
    NoTarget,           // no window, or the host itself in front: nothing to say
    Matted,             // copied and matted; its delivery decides what the user is told
    Saved,              // written automatically
    SavedThroughDialog, // the user chose where; the file is where they looked
    DialogCancelled,
    NotInFront,   // the window would not come in front of the backdrop
    KeptChanging, // the copies stayed stale, or the content moved between them
    NotAnswering,
    NotOnScreen,  // the window lies on no monitor (minimised, or moved off every one)
    Forbidden,    // the window does not allow capture (a display affinity)
    CopyFailed,   // the screen copy could not be made (out of memory or GDI objects)
    SaveFailed,   // nothing written
};
