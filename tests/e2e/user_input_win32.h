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

// A left click at a screen point.
void ClickAt(POINT point);

// Moves the pointer where no capture of the tests reaches.
void ParkPointer();
