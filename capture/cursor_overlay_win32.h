#pragma once

#include <windows.h>

// Draws the mouse cursor, with its own transparency, into the bitmap selected
// in `destination`, whose top-left pixel stands at (originX, originY) on the
// screen. Draws only a visible cursor whose hot spot lies inside captureRect
// (right and bottom edges outside); the image is clipped at the bitmap's edges.
void DrawCursorOverlay(HDC destination, RECT captureRect, int originX, int originY);
