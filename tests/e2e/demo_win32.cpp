// lucidframe-demo OUT_FOLDER: Lucidframe at work, with the end-to-end
// driver's building blocks, for tools/demo. Leaves in OUT_FOLDER:
//   capture.png                  Ctrl+PrtSc on a translucent window
//   capture-on-checkerboard.png  the same over the program's checkerboard
//   opaque-with-shadow.png       an opaque window with the compositor's shadow
//   desktop-with-tray-menu.png   the screen with the tray menu open
// and prints one line on each capture. Exits 1 with the reason when a step
// fails.

#include "imaging/checkerboard.h"
#include "png/gdiplus_win32.h"
#include "png/png_reader.h"
#include "output/png_file.h"
#include "tests/e2e/capture_check_win32.h"
#include "tests/e2e/capture_expectation.h"
#include "tests/e2e/lucidframe_app_win32.h"
#include "tests/e2e/sample_window_process_win32.h"
#include "tests/e2e/user_input_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Picture {
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

Picture Load(std::filesystem::path const& file)
{
    Picture picture;
    if (!ReadPng(file, picture.pixels, picture.width, picture.height))
        Fail("cannot read " + Utf8(file.wstring()));
    return picture;
}

void Save(std::filesystem::path const& file, Picture const& picture)
{
    if (!SavePngFile(file, picture.pixels.data(), picture.width, picture.height))
        Fail("cannot write " + Utf8(file.wstring()));
}

std::string Summary(Picture const& picture)
{
    std::uint32_t low = 255;
    std::uint32_t high = 0;
    for (std::uint32_t pixel : picture.pixels) {
        low = std::min(low, pixel >> 24);
        high = std::max(high, pixel >> 24);
    }
    return std::to_string(picture.width) + "x" + std::to_string(picture.height) + ", alpha " + std::to_string(low) +
           ".." + std::to_string(high);
}

// What the screen shows, the compositor's work included.
Picture Screenshot()
{
    Picture picture;
    picture.width = GetSystemMetrics(SM_CXSCREEN);
    picture.height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screenDC = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screenDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memoryDC = CreateCompatibleDC(screenDC);
    if (bitmap != nullptr && memoryDC != nullptr) {
        HGDIOBJ previous = SelectObject(memoryDC, bitmap);
        BitBlt(memoryDC, 0, 0, picture.width, picture.height, screenDC, 0, 0, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        auto const* pixels = static_cast<std::uint32_t const*>(bits);
        for (std::int32_t i = 0; i < picture.width * picture.height; ++i)
            picture.pixels.push_back(pixels[i] | 0xFF000000u);
        SelectObject(memoryDC, previous);
    }
    if (memoryDC != nullptr)
        DeleteDC(memoryDC);
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    ReleaseDC(nullptr, screenDC);
    if (picture.pixels.empty())
        Fail("cannot copy the screen");
    return picture;
}

SampleOptions Sample(wchar_t const* title, SampleMode mode, std::int32_t width, std::int32_t height)
{
    SampleOptions options;
    options.title = title;
    options.x = 420;
    options.y = 300;
    options.width = width;
    options.height = height;
    options.mode = mode;
    return options;
}

void Capture(LucidframeApp const& app, SampleWindowProcess& sample)
{
    std::filesystem::path const file = app.AutomaticFile(sample.options().title);
    std::filesystem::remove(file);
    sample.BringToFront();
    PressChord({VK_CONTROL, VK_SNAPSHOT});
    WaitForFile(file, app.process());
}

void RunDemo(std::filesystem::path const& out)
{
    LucidframeApp app;
    app.Start();
    {
        SampleWindowProcess sample(Sample(L"Lucidframe Sample", SampleMode::Pattern, 400, 250));
        Capture(app, sample);
        Picture capture = Load(app.AutomaticFile(L"Lucidframe Sample"));
        Save(out / L"capture.png", capture);
        std::optional<std::string> const difference =
            CaptureDifference(ExpectationFor(sample.options()), capture.pixels.data(), capture.width, capture.height);
        std::printf("translucent window: %s, %s\n", Summary(capture).c_str(),
                    difference ? ("DOES NOT match: " + *difference).c_str() : "matches the window's known pixels");
        CompositeOnCheckerboard(capture.pixels.data(), capture.width, capture.height);
        Save(out / L"capture-on-checkerboard.png", capture);
    }
    {
        SampleWindowProcess sample(Sample(L"Lucidframe Opaque", SampleMode::Opaque, 300, 180));
        Capture(app, sample);
        Picture const capture = Load(app.AutomaticFile(L"Lucidframe Opaque"));
        Save(out / L"opaque-with-shadow.png", capture);
        std::printf("opaque 300x180 window with its shadow: %s\n", Summary(capture).c_str());
    }
    SetCursorPos(900, 640);
    app.OpenTrayMenu();
    PressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    Sleep(300);
    Save(out / L"desktop-with-tray-menu.png", Screenshot());
    PressKeys({VK_ESCAPE, VK_ESCAPE});
    ParkPointer();
    app.Stop();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: lucidframe-demo OUT_FOLDER\n", stderr);
        return 2;
    }
    Gdiplus::GdiplusStartupInput const input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int result = 0;
    try {
        RunDemo(argv[1]);
    } catch (std::exception const& failure) {
        std::fprintf(stderr, "lucidframe-demo: %s\n", failure.what());
        result = 1;
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}
