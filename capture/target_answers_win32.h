#pragma once

#include <windows.h>

// How long a capture waits for its target to answer before it leaves the
// target alone.
UINT const kTargetAnswerTimeoutMs = 200;

// Whether the thread of `target` handles its messages. Raising a window of
// another thread waits for that thread, so a window that is "Not Responding"
// would hold the capture, and with it the tray menu and every hot key, until
// it recovers or is killed. Windows gives up on a window it has found hung at
// once, and on any other after kTargetAnswerTimeoutMs. No window at all
// (nothing in the foreground) has nothing to wait for and counts as answering.
bool TargetAnswers(HWND target);
