#pragma once

// The steps of a capture as they happen, for the builds of the program that
// note them: tools/stress counts the copies made again and times each step.
// The program itself notes nothing: its definition (capture_trace.cpp) does
// nothing, and those builds link one of their own in its place.
enum class CaptureStep {
    Begun,            // the hot key is handled
    BalloonHidden,
    TargetAsked,      // the target answered
    RequestMade,      // its window, popups, monitors and colour mode are known
    BuffersMade,
    BackdropShown,    // of either pass
    BlackCopied,
    WhiteCopied,
    BlackCopiedAgain, // after a stale copy
    WhiteCopiedAgain,
    CopiesChecked,
    Matted,
    ImageFinished,    // cursor, ring, crop and checkerboard
    Encoded,
    OnClipboard,
    FileWritten,
    Released,         // bitmaps and device contexts
    HostParked,
    BalloonShown,     // the capture is over
};

void NoteCaptureStep(CaptureStep step);
