#include "capture/capture_bitmap_win32.h"
#include "capture/cursor_overlay_win32.h"

#include "capture_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// The pointer stands at this screen point, over a window of the test whose
// class cursor is the cursor under test.
POINT const kPointer = {400, 400};
RECT const kStageRect = {kPointer.x - 100, kPointer.y - 100, kPointer.x + 100, kPointer.y + 100};
std::int32_t const kCaptureSide = 80;
std::uint32_t const kBackground = 0x80336699; // anything the cursor's transparent pixels must leave alone

// A capture of kCaptureSide x kCaptureSide pixels filled with kBackground,
// selected in a memory DC as the capture's white buffer is.
class Destination {
public:
    Destination()
    {
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateCaptureBitmap(kCaptureSide, kCaptureSide, &m_pixels, true, kBackground);
        m_previous = SelectObject(m_dc, m_bitmap);
    }

    ~Destination()
    {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }

    Destination(Destination const&) = delete;
    Destination& operator=(Destination const&) = delete;

    HDC dc() const { return m_dc; }
    std::uint32_t pixel(int x, int y) const
    {
        GdiFlush();
        return m_pixels[y * kCaptureSide + x];
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_pixels = nullptr;
};

struct PlacementCase {
    const char* name;
    CursorKind kind;
    int pointerX, pointerY; // the pointer within the capture rectangle
    bool drawn;
};

// The capture rectangle is placed around the pointer so that the pointer
// stands at (pointerX, pointerY) of the capture; the cursor image then starts
// at that point less the hot spot, clipped at the capture's edges.
void CheckPlacement(PlacementCase const& c)
{
    HCURSOR cursor = CreateTestCursor(c.kind);
    ASSERT_NE(cursor, nullptr);
    {
        CursorStage const stage(cursor, kStageRect, kPointer);
        Destination const destination;
        RECT const captureRect = {kPointer.x - c.pointerX, kPointer.y - c.pointerY,
                                  kPointer.x - c.pointerX + kCaptureSide, kPointer.y - c.pointerY + kCaptureSide};
        DrawCursorOverlay(destination.dc(), captureRect, captureRect.left, captureRect.top);

        TestCursorShape const shape = ShapeOf(c.kind);
        int const imageX = c.pointerX - shape.hotSpotX;
        int const imageY = c.pointerY - shape.hotSpotY;
        int cursorPixels = 0;
        for (int y = 0; y < kCaptureSide; ++y) {
            for (int x = 0; x < kCaptureSide; ++x) {
                int const cx = x - imageX, cy = y - imageY;
                bool const onCursor = cx >= 0 && cx < shape.side && cy >= 0 && cy < shape.side;
                std::uint32_t const added = c.drawn && onCursor ? TestCursorPixel(c.kind, cx, cy) : 0;
                cursorPixels += added != 0;
                ASSERT_EQ(destination.pixel(x, y), added ? added : kBackground) << "capture pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(cursorPixels > 0, c.drawn);
    }
    DestroyCursor(cursor);
}

// One wine process per test costs seconds, so the table runs in one test.
TEST(CursorOverlay, DrawsTheCursorWhereItStands)
{
    PlacementCase const cases[] = {
        {"monochrome_inside", CursorKind::Monochrome, 10, 12, true},
        {"monochrome_on_left_and_top_edges_clipped", CursorKind::Monochrome, 0, 0, true},
        {"monochrome_last_pixel_inside", CursorKind::Monochrome, kCaptureSide - 1, kCaptureSide - 1, true},
        {"monochrome_on_right_edge", CursorKind::Monochrome, kCaptureSide, 10, false},
        {"monochrome_on_bottom_edge", CursorKind::Monochrome, 10, kCaptureSide, false},
        {"monochrome_left_of_the_capture", CursorKind::Monochrome, -1, 10, false},
        {"colour_inside", CursorKind::Colour, 10, 12, true},
        {"colour_on_left_and_top_edges_clipped", CursorKind::Colour, 0, 0, true},
        {"colour_on_right_edge", CursorKind::Colour, kCaptureSide, 10, false},
        {"colour_on_bottom_edge", CursorKind::Colour, 10, kCaptureSide, false},
        {"colour_above_the_capture", CursorKind::Colour, 10, -1, false},
        // Drawn at its own 64 x 64, not at the system's icon size: both marked
        // corners land where the hot spot puts them.
        {"large_colour_at_its_own_size", CursorKind::LargeColour, 40, 40, true},
        {"large_colour_clipped_at_the_top_left", CursorKind::LargeColour, 20, 20, true},
    };
    for (PlacementCase const& c : cases) {
        SCOPED_TRACE(c.name);
        CheckPlacement(c);
    }
}

TEST(CursorOverlay, HiddenCursorIsNotDrawn)
{
    HCURSOR cursor = CreateTestCursor(CursorKind::Colour);
    {
        CursorStage const stage(cursor, kStageRect, kPointer);
        Destination const destination;
        RECT const captureRect = {kPointer.x - 10, kPointer.y - 10, kPointer.x + 30, kPointer.y + 30};
        ShowCursor(FALSE);
        DrawCursorOverlay(destination.dc(), captureRect, captureRect.left, captureRect.top);
        ShowCursor(TRUE);
        TestCursorShape const shape = ShapeOf(CursorKind::Colour);
        EXPECT_EQ(destination.pixel(10 - shape.hotSpotX, 10 - shape.hotSpotY), kBackground);

        DrawCursorOverlay(destination.dc(), captureRect, captureRect.left, captureRect.top);
        EXPECT_EQ(destination.pixel(10 - shape.hotSpotX, 10 - shape.hotSpotY), 0xFF3366CCu);
    }
    DestroyCursor(cursor);
}

TEST(CursorOverlay, LeavesNoGdiObjectBehind)
{
    for (HCURSOR cursor : {CreateTestCursor(CursorKind::Monochrome), CreateTestCursor(CursorKind::Colour)}) {
        {
            CursorStage const stage(cursor, kStageRect, kPointer);
            Destination const destination;
            RECT const captureRect = {kPointer.x - 10, kPointer.y - 10, kPointer.x + 30, kPointer.y + 30};
            DrawCursorOverlay(destination.dc(), captureRect, captureRect.left, captureRect.top);
            std::int64_t const before = CountGdiObjects();
            for (int i = 0; i < 50; ++i)
                DrawCursorOverlay(destination.dc(), captureRect, captureRect.left, captureRect.top);
            EXPECT_EQ(CountGdiObjects(), before);
        }
        DestroyCursor(cursor);
    }
}

} // namespace
