#include "capture/cursor_overlay_win32.h"

#include "capture/capture_bitmap_win32.h"
#include "capture/cursor_canvas.h"
#include "imaging/pixel_buffer.h"

#include <cstdint>

namespace {

BLENDFUNCTION const kCursorBlend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

// Draws the cursor onto a canvas of its own size and lays that canvas over the
// destination at (x, y). DrawIcon gives a colour cursor premultiplied pixels
// with real alpha; a monochrome one comes out with alpha 0 everywhere and
// needs its canvas completed first.
void BlendCursorImage(HDC destination, HCURSOR cursor, bool monochrome, std::int32_t width, std::int32_t height, int x, int y)
{
    HDC canvasDC = CreateCompatibleDC(destination);
    std::uint32_t* canvas = nullptr;
    HBITMAP canvasBitmap = CreateCaptureBitmap(width, height, &canvas, false, 0);

    if (canvasDC && canvasBitmap) {
        SelectObject(canvasDC, canvasBitmap);
        // At the canvas's own size: DrawIcon would scale every cursor to the
        // system's icon size, which large accessibility pointers and many DPI
        // settings do not share, and misplace it against its hot spot.
        DrawIconEx(canvasDC, 0, 0, cursor, width, height, 0, nullptr, DI_NORMAL);
        GdiFlush(); // the drawing must reach the pixels before they are read directly
        if (monochrome)
            ComplementMonochromeCanvas(canvas, PixelCount(width, height));
        BLENDFUNCTION blend = kCursorBlend;
        AlphaBlend(destination, x, y, width, height, canvasDC, 0, 0, width, height, blend);
        GdiFlush(); // the caller reads the destination's pixels directly
    }

    // The bitmap may only go once no device context holds it.
    if (canvasDC)
        DeleteDC(canvasDC);
    if (canvasBitmap)
        DeleteObject(canvasBitmap);
}

} // namespace

void DrawCursorOverlay(HDC destination, RECT captureRect, int originX, int originY)
{
    CURSORINFO cursorInfo = {};
    cursorInfo.cbSize = sizeof(cursorInfo);
    if (!GetCursorInfo(&cursorInfo) || cursorInfo.flags != CURSOR_SHOWING || !PtInRect(&captureRect, cursorInfo.ptScreenPos))
        return;

    // GetIconInfo hands out copies of the cursor's bitmaps, which are ours to
    // delete; the cursor handle itself belongs to the system.
    ICONINFO iconInfo = {};
    if (!GetIconInfo(cursorInfo.hCursor, &iconInfo))
        return;

    BITMAP mask = {};
    if (GetObjectW(iconInfo.hbmMask, sizeof(mask), &mask)) {
        // A monochrome cursor's mask holds the AND mask above the XOR mask.
        bool const monochrome = iconInfo.hbmColor == nullptr;
        std::int32_t const height = monochrome ? mask.bmHeight / 2 : mask.bmHeight;
        int const x = cursorInfo.ptScreenPos.x - static_cast<int>(iconInfo.xHotspot) - originX;
        int const y = cursorInfo.ptScreenPos.y - static_cast<int>(iconInfo.yHotspot) - originY;
        BlendCursorImage(destination, cursorInfo.hCursor, monochrome, mask.bmWidth, height, x, y);
    }

    DeleteObject(iconInfo.hbmMask);
    if (iconInfo.hbmColor)
        DeleteObject(iconInfo.hbmColor);
}
