#pragma once

#include <windows.h>

#include <initializer_list>
#include <vector>

// Keys and the pointer, worked as a user works them. SendInput reaches the
// global hot key and the open menu of whichever program is in the
// foreground, under wine with no X focus at all, as on Windows.

// Presses `keys` together: down in order, up in reverse.
void PressChord(std::initializer_list<WORD> keys);

// Presses and releases each key in turn.
void PressKeys(std::vector<WORD> const& keys);

enum class MouseButton { Left, Right };

// A click at a screen point.
void ClickAt(POINT point, MouseButton button = MouseButton::Left);

// Makes `window` the foreground window as a user does, with a click into it,
// and waits until it is; the pointer then goes back where it was. Unlike
// SetForegroundWindow from another program, Windows always allows it. A
// window already in front is left as it is.
void ClickToFront(HWND window);

// Moves the pointer where no capture of the tests reaches.
void ParkPointer();
