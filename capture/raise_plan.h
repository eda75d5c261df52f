#pragma once

// How a pass brings the target in front and copies the screen, from what the
// desktop and the target are like; portable, so that the choice is tested
// anywhere.
struct RaiseFacts {
    bool composes = false;          // the system composes the desktop (the Desktop Window Manager is on)
    bool targetTopmost = false;     // the target is "always on top"
    bool ownsTopmostWindow = false; // it owns a visible topmost window: a tool palette, a mini player
};

enum class TargetRaise {
    TopOfItsBand,   // HWND_TOP alone
    ThroughTopmost, // made topmost and at once non-topmost again
};

struct RaisePlan {
    TargetRaise raise = TargetRaise::TopOfItsBand;
    bool copyLayered = false; // the copy asks for layered windows (CAPTUREBLT)
};

// Where the system composes, HWND_TOP brings a window in front and a plain
// copy holds every layered window, the backdrop among them: the raise through
// the topmost band, which makes the windows the target owns non-topmost too,
// and CAPTUREBLT, which hides the pointer for each copy from Windows 8 on,
// serve only where nothing composes (wine, Windows 7 without Aero). A target
// that owns a topmost window is never raised through the band, and a topmost
// one needs no lift.
RaisePlan RaisePlanFor(RaiseFacts facts);
