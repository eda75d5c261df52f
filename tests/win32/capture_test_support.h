#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>

// A hidden host window made from the program's own dialog template, as the
// program makes it, but with a dialog procedure that does nothing.
HWND CreateCaptureHost();

// Live GDI objects of this process. GetGuiResources answers 0 under wine, so
// where it does, the handle table is walked instead: GetObjectType accepts a
// bare table index there and names the object that lives at it.
std::int64_t CountGdiObjects();


// Cursors made by the test with known masks.
//   Monochrome, 32 x 32, hot spot (5, 3): rows 2-9, columns 4-11 white; rows
//   12-15 inverting; rows 20-23, columns 20-27 black; transparent elsewhere.
//   Colour, 32 x 32, hot spot (5, 3): opaque 0xFF3366CC in rows 0-7, columns
//   0-7; opaque 0xFF00FF00 in rows 8-15, columns 8-15; transparent elsewhere.
//   LargeColour, 64 x 64, hot spot (32, 32), the size of an accessibility
//   pointer: opaque red 0xFFFF0000 in its top-left 4 x 4 corner, opaque blue
//   0xFF0000FF in its bottom-right one; transparent elsewhere.
enum class CursorKind { Monochrome, Colour, LargeColour };

struct TestCursorShape {
    int side;
    int hotSpotX;
    int hotSpotY;
};

TestCursorShape ShapeOf(CursorKind kind);

HCURSOR CreateTestCursor(CursorKind kind);

// What the cursor overlay adds at (x, y) of the test cursor's image: an opaque
// pixel, or 0 where it leaves the capture as it was. Drawn onto a zeroed
// canvas, a monochrome cursor's white and inverting pixels come out white
// with alpha 0, which the overlay turns into opaque black; its black pixels
// stay zero and so leave the capture alone.
std::uint32_t TestCursorPixel(CursorKind kind, int x, int y);

// Handles what is queued for this thread's windows for `milliseconds`.
void PumpMessages(DWORD milliseconds);

// A popup window of the test at `windowRect` showing the sample window's
// opaque pixels, whose class cursor is `cursor`, with the pointer moved to the
// screen point `pointer`: GetCursorInfo reports a cursor only while the pointer is over a
// window with a class cursor, and GetIconInfo under wine only answers for
// cursors of the calling process.
class CursorStage {
public:
    CursorStage(HCURSOR cursor, RECT windowRect, POINT pointer);
    ~CursorStage();
    CursorStage(CursorStage const&) = delete;
    CursorStage& operator=(CursorStage const&) = delete;

    HWND window() const { return m_window; }

private:
    HWND m_window = nullptr;
};
