#include "capture_test_support.h"

#include "capture/capture_bitmap_win32.h"
#include "res/resource.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <vector>

namespace {

wchar_t const kStageClass[] = L"LucidframeCursorStage";
int const kSmallSide = 32;
int const kLargeSide = 64;
int const kMarkerSide = 4;

bool MonochromeXorBit(int x, int y)
{
    return (y >= 2 && y <= 9 && x >= 4 && x <= 11) || (y >= 12 && y <= 15);
}

bool MonochromeAndBit(int x, int y)
{
    bool const white = y >= 2 && y <= 9 && x >= 4 && x <= 11;
    bool const black = y >= 20 && y <= 23 && x >= 20 && x <= 27;
    return !white && !black;
}

std::uint32_t ColourPixel(int x, int y)
{
    if (x < 8 && y < 8)
        return 0xFF3366CC;
    if (x >= 8 && x < 16 && y >= 8 && y < 16)
        return 0xFF00FF00;
    return 0;
}

std::uint32_t LargeColourPixel(int x, int y)
{
    if (x < kMarkerSide && y < kMarkerSide)
        return 0xFFFF0000;
    if (x >= kLargeSide - kMarkerSide && y >= kLargeSide - kMarkerSide)
        return 0xFF0000FF;
    return 0;
}

HCURSOR CreateMonochromeCursor()
{
    TestCursorShape const shape = ShapeOf(CursorKind::Monochrome);
    int const rowBytes = shape.side / 8;
    std::vector<BYTE> andPlane(shape.side * rowBytes), xorPlane(shape.side * rowBytes);
    for (int y = 0; y < shape.side; ++y) {
        for (int x = 0; x < shape.side; ++x) {
            BYTE const bit = static_cast<BYTE>(0x80 >> (x % 8));
            if (MonochromeAndBit(x, y))
                andPlane[y * rowBytes + x / 8] |= bit;
            if (MonochromeXorBit(x, y))
                xorPlane[y * rowBytes + x / 8] |= bit;
        }
    }
    return CreateCursor(GetModuleHandleW(nullptr), shape.hotSpotX, shape.hotSpotY, shape.side, shape.side,
                        andPlane.data(), xorPlane.data());
}

HCURSOR CreateColourCursor(CursorKind kind)
{
    TestCursorShape const shape = ShapeOf(kind);
    std::uint32_t* pixels = nullptr;
    HBITMAP colour = CreateCaptureBitmap(shape.side, shape.side, &pixels, false, 0);
    for (int y = 0; y < shape.side; ++y) {
        for (int x = 0; x < shape.side; ++x)
            pixels[y * shape.side + x] = TestCursorPixel(kind, x, y);
    }
    std::vector<BYTE> maskBits(shape.side * shape.side / 8, 0xFF);
    HBITMAP mask = CreateBitmap(shape.side, shape.side, 1, 1, maskBits.data());
    ICONINFO iconInfo = {FALSE, static_cast<DWORD>(shape.hotSpotX), static_cast<DWORD>(shape.hotSpotY), mask, colour};
    HCURSOR cursor = CreateIconIndirect(&iconInfo);
    DeleteObject(mask);
    DeleteObject(colour);
    return cursor;
}

// Paints the sample window's opaque pixels, so that a capture of the stage can
// be judged as one of the sample window.
LRESULT CALLBACK StageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProcW(window, message, wParam, lParam);
    RECT client = {};
    GetClientRect(window, &client);
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < client.bottom; ++y) {
        for (std::int32_t x = 0; x < client.right; ++x)
            pixels.push_back(SamplePixel(SampleMode::Opaque, x, y, client.right, client.bottom));
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BITMAPINFO const info = TopDownBitmapInfo(client.right, client.bottom);
    SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, pixels.data(), &info,
                      DIB_RGB_COLORS);
    EndPaint(window, &paint);
    return 0;
}

INT_PTR CALLBACK DoNothing(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

} // namespace

HWND CreateCaptureHost()
{
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HOST), nullptr, DoNothing, 0);
}

std::int64_t CountGdiObjects()
{
    DWORD const reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported)
        return reported;
    std::int64_t count = 0;
    for (std::uintptr_t index = 1; index <= 0xFFFF; ++index) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)))
            ++count;
    }
    return count;
}

TestCursorShape ShapeOf(CursorKind kind)
{
    return kind == CursorKind::LargeColour ? TestCursorShape{kLargeSide, 32, 32} : TestCursorShape{kSmallSide, 5, 3};
}

HCURSOR CreateTestCursor(CursorKind kind)
{
    return kind == CursorKind::Monochrome ? CreateMonochromeCursor() : CreateColourCursor(kind);
}

std::uint32_t TestCursorPixel(CursorKind kind, int x, int y)
{
    switch (kind) {
    case CursorKind::Monochrome:
        return MonochromeXorBit(x, y) ? 0xFF000000 : 0;
    case CursorKind::Colour:
        return ColourPixel(x, y);
    case CursorKind::LargeColour:
        return LargeColourPixel(x, y);
    }
    return 0;
}

void PumpMessages(DWORD milliseconds)
{
    ULONGLONG const end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(5);
    } while (GetTickCount64() < end);
}

CursorStage::CursorStage(HCURSOR cursor, RECT windowRect, POINT pointer)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = StageProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = kStageClass;
    RegisterClassExW(&windowClass);
    m_window = CreateWindowExW(0, kStageClass, L"Cursor stage", WS_POPUP | WS_VISIBLE, windowRect.left, windowRect.top,
                               windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    SetCursorPos(pointer.x, pointer.y);
    SetCursor(cursor);
    PumpMessages(150);
}

CursorStage::~CursorStage()
{
    DestroyWindow(m_window);
    UnregisterClassW(kStageClass, GetModuleHandleW(nullptr));
}
