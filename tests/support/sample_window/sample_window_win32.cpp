// lucidframe-sample-window: a window whose every pixel is known, as a target
// for capture tests and the demo. It takes the focus when shown, stays until
// it is closed, prints nothing and exits 0; bad arguments exit 2.

#include "capture/capture_bitmap_win32.h"
#include "tests/support/sample_window/sample_options.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

wchar_t const kClassName[] = L"LucidframeSampleWindow";
int const kBadArguments = 2;

// The window's pixels as straight 0xAARRGGBB, top row first.
std::vector<std::uint32_t> g_image;
std::int32_t g_width = 0;
std::int32_t g_height = 0;
bool g_refuseZOrder = false;
LRESULT g_deactivations = 0;
LARGE_INTEGER g_fadingSince = {}; // zero while the window does not fade
// Each channel falls from white to black over two thirds of the cycle and
// rises back over the last third, a third of a cycle after the one before.
double const kFadeCycleMs = 768;

std::vector<std::wstring> CommandLineArguments()
{
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv) {
        for (int i = 1; i < count; ++i)
            arguments.emplace_back(argv[i]);
        LocalFree(argv);
    }
    return arguments;
}

void FillImage(SampleOptions const& options)
{
    g_width = options.width;
    g_height = options.height;
    g_image.resize(static_cast<std::size_t>(g_width) * static_cast<std::size_t>(g_height));
    for (std::int32_t y = 0; y < g_height; ++y) {
        for (std::int32_t x = 0; x < g_width; ++x)
            g_image[static_cast<std::size_t>(y) * g_width + x] = SamplePixel(options.mode, x, y, g_width, g_height);
    }
}

// Per-pixel alpha: the window's whole surface is a premultiplied bitmap that
// the window manager keeps and composites by itself; there is no WM_PAINT.
void ShowLayeredImage(HWND window, POINT position)
{
    std::uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreateCaptureBitmap(g_width, g_height, &pixels, false, 0);
    if (!bitmap)
        return;
    for (std::size_t i = 0; i < g_image.size(); ++i)
        pixels[i] = Premultiply(g_image[i]);

    HDC screenDC = GetDC(nullptr);
    HDC memoryDC = CreateCompatibleDC(screenDC);
    HGDIOBJ previous = SelectObject(memoryDC, bitmap);
    SIZE size = {g_width, g_height};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, screenDC, &position, &size, memoryDC, &source, 0, &blend, ULW_ALPHA);
    SelectObject(memoryDC, previous);
    DeleteDC(memoryDC);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screenDC);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    BITMAPINFO info = TopDownBitmapInfo(g_width, g_height);
    SetDIBitsToDevice(dc, 0, 0, g_width, g_height, 0, 0, 0, g_height, g_image.data(), &info, DIB_RGB_COLORS);
    EndPaint(window, &paint);
}

void PaintImage(HWND window)
{
    if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) {
        RECT place = {};
        GetWindowRect(window, &place);
        ShowLayeredImage(window, {place.left, place.top});
    } else {
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }
}

// The channels rise in turn, so that over any span of up to a third of the
// cycle one of them only falls, by a level every 2 ms: a copy made after
// another is darker in that channel, as no copy over a brighter backdrop can
// be. It never ends, however long a capture tries.
void Fade(HWND window)
{
    LARGE_INTEGER now = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    double const elapsedMs = 1000.0 * static_cast<double>(now.QuadPart - g_fadingSince.QuadPart) /
                             static_cast<double>(frequency.QuadPart);
    auto const channel = [&](int index) {
        double const phase = std::fmod(elapsedMs + index * kFadeCycleMs / 3, kFadeCycleMs) / kFadeCycleMs;
        double const level = phase < 2.0 / 3 ? 1 - phase * 1.5 : (phase - 2.0 / 3) * 3;
        return static_cast<std::uint32_t>(level * 255 + 0.5);
    };
    std::fill(g_image.begin(), g_image.end(), 0xFF000000u | channel(2) << 16 | channel(1) << 8 | channel(0));
    PaintImage(window);
}

// The menu's own modal loop runs until it is dismissed; the window goes on
// answering meanwhile, as every window with an open menu does.
void OpenContextMenu(HWND window, POINT at)
{
    HMENU menu = CreatePopupMenu();
    for (int item = 1; item <= kSampleMenuItems; ++item)
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item),
                    (L"Sample menu item number " + std::to_wstring(item)).c_str());
    SetForegroundWindow(window);
    // A button release still queued from the click that brought the window to
    // the front would close the menu at once.
    MSG pending = {};
    while (PeekMessageW(&pending, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window, nullptr);
    DestroyMenu(menu);
}

// Undoes every raise at once, inside the call that made it. The usual way,
// SWP_NOZORDER set in WM_WINDOWPOSCHANGING, is ignored by wine, which moves
// the window all the same; going back to the bottom keeps the window under
// anything raised after it on Windows and under wine alike.
void ReturnToTheBottom(HWND window)
{
    static bool returning = false;
    if (returning || GetWindow(window, GW_HWNDNEXT) == nullptr)
        return;
    returning = true;
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    returning = false;
}

LRESULT CALLBACK SampleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            ++g_deactivations;
        break;
    case WM_NCACTIVATE:
        if (!wParam)
            ++g_deactivations;
        break;
    case WM_WINDOWPOSCHANGED:
        if (g_refuseZOrder)
            ReturnToTheBottom(window);
        break;
    case kSampleDeactivationsQuery:
        return g_deactivations;
    case kSampleStopAnswering:
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    case kSampleOpenMenu:
        OpenContextMenu(window, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case kSampleStartFading:
        QueryPerformanceCounter(&g_fadingSince);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateSampleWindow(HINSTANCE instance, SampleOptions const& options)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = SampleWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW); // lets GetCursorInfo report a cursor over the window
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass))
        return nullptr;

    // A popup has no frame, so every pixel of the window rectangle is known.
    DWORD const exStyle = options.mode == SampleMode::Opaque ? 0 : WS_EX_LAYERED;
    return CreateWindowExW(exStyle, kClassName, L"", WS_POPUP, options.x, options.y, options.width, options.height,
                           nullptr, nullptr, instance, nullptr);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SampleOptions options;
    if (!ParseSampleOptions(CommandLineArguments(), options))
        return kBadArguments;
    FillImage(options);
    g_refuseZOrder = options.refuseZOrder;

    HWND window = CreateSampleWindow(instance, options);
    if (!window)
        return 1;
    if (options.mode == SampleMode::Pattern)
        ShowLayeredImage(window, {options.x, options.y});
    else if (options.mode == SampleMode::Constant)
        SetLayeredWindowAttributes(window, 0, kSampleConstantAlpha, LWA_ALPHA);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    // The title comes last, so that whoever waits for the window by its title
    // finds it shown and painted.
    SetWindowTextW(window, options.title.c_str());

    // A fading window paints as often as it can between its messages.
    MSG message = {};
    for (;;) {
        bool const fading = g_fadingSince.QuadPart != 0;
        if (fading ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) : GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else if (fading) {
            Fade(window);
        } else {
            break;
        }
    }
    return static_cast<int>(message.wParam);
}
