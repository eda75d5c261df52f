#include "shell/capture_flow.h"

#include "capture_test_support.h"
#include "tests/e2e/capture_check_win32.h"
#include "tests/e2e/sample_window_process_win32.h"
#include "tests/e2e/user_input_win32.h"
#include "tests/support/scratch_folder.h"
#include "output/png_reader.h"
#include "shell/app_state.h"
#include "tests/support/sample_window/sample_options.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct DecodedImage {
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The capture's windows, GDI+ for the save, and an empty program folder that
// receives the automatic files.
class WindowCapture : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_host = CreateCaptureHost();
    }

    static void TearDownTestSuite()
    {
        DestroyWindow(s_host);
    }

    void SetUp() override
    {
        ASSERT_NE(s_host, nullptr);
        lstrcpynW(g_app.programFolder, m_folder.path().c_str(), MAX_PATH);
        g_app.settings = Settings{};
        g_app.settings.includeCursor = 0;
        g_app.captureBusy = 0;
    }

    // Makes `window` the foreground window, with a click as a user would,
    // and captures it.
    void Capture(HWND window)
    {
        ClickToFront(window);
        CaptureForegroundWindow(s_host);
    }

    // Captures `window` into the automatic file named after `title` and
    // judges it against the sample window's known pixels; a capture that the
    // compositor spoilt is taken again (tests/e2e/capture_check_win32.h).
    void CheckCaptureOf(HWND window, std::wstring const& title, CaptureExpectation const& expectation)
    {
        CheckCapture(expectation, m_folder / (title + L".png"), [&] { Capture(window); });
    }

    // Reads and removes the automatic file named after `title`, so that a
    // later capture under the same title cannot pass on an old file.
    DecodedImage TakeCapture(std::wstring const& title)
    {
        std::filesystem::path const file = m_folder.path() / (title + L".png");
        DecodedImage image;
        EXPECT_TRUE(ReadPng(file, image.pixels, image.width, image.height)) << "no capture of the window";
        std::filesystem::remove(file);
        return image;
    }

    static inline HWND s_host = nullptr;
    ScratchFolder m_folder;
};

// A target at (200, 150) of 320 x 200, cropped back to the window: every pixel
// has the window's known alpha and colour; an opaque window's colours come
// back exactly.
TEST_F(WindowCapture, RecoversTheWindowsAlphaAndColour)
{
    struct {
        SampleMode mode;
        const wchar_t* title;
    } const cases[] = {
        {SampleMode::Pattern, L"Sample pattern"},
        {SampleMode::Constant, L"Sample constant"},
        {SampleMode::Opaque, L"Sample opaque"},
    };
    for (auto const& c : cases) {
        std::wstring const title = c.title;
        SCOPED_TRACE(std::string(title.begin(), title.end()));
        SampleWindowProcess const sample({.title = title, .mode = c.mode});
        CheckCaptureOf(sample.window(), title, {.mode = c.mode});

        DecodedImage const image = TakeCapture(title);
        for (std::int32_t i = 0; c.mode == SampleMode::Opaque && i < image.width * image.height; ++i)
            ASSERT_EQ(image.pixels[i], SamplePixel(c.mode, i % image.width, i / image.width, image.width, image.height)) << i;
        EXPECT_EQ(g_app.captureBusy, 0);
        EXPECT_FALSE(IsWindowVisible(s_host));
        EXPECT_FALSE(GetWindowLongPtrW(s_host, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(GetForegroundWindow(), sample.window());
    }
}

TEST_F(WindowCapture, WithoutCropTheImageIsTheGrownRectangle)
{
    g_app.settings.autoCrop = 0;
    SampleWindowProcess const sample({.title = L"Uncropped", .x = 100, .y = 100, .width = 200, .height = 100});
    CheckCaptureOf(sample.window(), L"Uncropped", {.windowWidth = 200, .windowHeight = 100, .autoCrop = false});

    DecodedImage const image = TakeCapture(L"Uncropped");
    ASSERT_EQ(image.width, 230);
    ASSERT_EQ(image.height, 130);
    for (std::int32_t y = 0; y < image.height; ++y) {
        for (std::int32_t x = 0; x < image.width; ++x) {
            bool const margin = x < 15 || x >= 215 || y < 15 || y >= 115;
            ASSERT_TRUE(!margin || image.pixels[y * image.width + x] == 0) << "margin pixel " << x << "," << y;
        }
    }
}

TEST_F(WindowCapture, CheckerboardMakesEveryPixelAlpha254)
{
    g_app.settings.checkerboard = 1;
    SampleWindowProcess const sample({.title = L"Checkered", .width = 100, .height = 60});
    CheckCaptureOf(sample.window(), L"Checkered", {.windowWidth = 100, .windowHeight = 60, .checkerboard = true});

    DecodedImage const image = TakeCapture(L"Checkered");
    for (std::uint32_t pixel : image.pixels)
        ASSERT_EQ(pixel >> 24, 254u);
}

TEST_F(WindowCapture, TargetAcrossTheScreensCornerIsCapturedUpToTheEdges)
{
    int const screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int const screenHeight = GetSystemMetrics(SM_CYSCREEN);

    struct {
        std::uint8_t autoCrop;
        std::int32_t width, height;
    } const cases[] = {{0, 115, 95}, {1, 100, 80}};
    for (auto const& c : cases) {
        g_app.settings.autoCrop = c.autoCrop;
        SampleWindowProcess const sample(
            {.title = L"Corner", .x = screenWidth - 100, .y = screenHeight - 80, .width = 160, .height = 120});
        CheckCaptureOf(sample.window(), L"Corner",
                       {.windowWidth = 160, .windowHeight = 120, .autoCrop = c.autoCrop != 0, .captureWidth = 115,
                        .captureHeight = 95});
        DecodedImage const image = TakeCapture(L"Corner");
        EXPECT_EQ(image.width, c.width) << "crop " << int(c.autoCrop);
        EXPECT_EQ(image.height, c.height) << "crop " << int(c.autoCrop);
    }
}

// A window wholly right of the primary screen (on another monitor) leaves a
// rectangle without pixels: the capture ends with nothing made or saved.
TEST_F(WindowCapture, TargetOffThePrimaryScreenSavesNothing)
{
    SampleWindowProcess const sample(
        {.title = L"Elsewhere", .x = GetSystemMetrics(SM_CXSCREEN) + 100, .y = 100, .width = 40, .height = 40});
    RECT windowRect = {};
    ASSERT_TRUE(GetWindowRect(sample.window(), &windowRect));
    ASSERT_GT(windowRect.left, GetSystemMetrics(SM_CXSCREEN));
    Capture(sample.window());
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.path()));
    EXPECT_EQ(g_app.captureBusy, 0);
}

TEST_F(WindowCapture, WithoutForegroundWindowTheCornerIsCaptured)
{
    g_app.settings.autoCrop = 0;
    {
        SampleWindowProcess const sample({.title = L"Gone", .width = 40, .height = 40});
        ClickToFront(sample.window());
    }
    if (GetForegroundWindow())
        GTEST_SKIP() << "wine keeps a foreground window; the rectangle is tested natively";

    CaptureForegroundWindow(s_host);

    DecodedImage const image = TakeCapture(L"");
    EXPECT_EQ(image.width, 15);
    EXPECT_EQ(image.height, 15);
}

// The capture leaves the target at the top of the non-topmost windows and
// restores nothing.
TEST_F(WindowCapture, TopmostTargetIsNoLongerTopmost)
{
    SampleWindowProcess const sample({.title = L"Topmost", .width = 40, .height = 40});
    SetWindowPos(sample.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_TRUE(GetWindowLongPtrW(sample.window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Capture(sample.window());
    EXPECT_FALSE(GetWindowLongPtrW(sample.window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / L"Topmost.png"));
}

// After the tray menu the host is the foreground window until the user clicks
// elsewhere; a capture then must not save the host's own empty square.
TEST_F(WindowCapture, HostIsNeverTheTarget)
{
    SetForegroundWindow(s_host);
    ASSERT_EQ(GetForegroundWindow(), s_host);
    CaptureForegroundWindow(s_host);
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.path()));
    EXPECT_EQ(g_app.captureBusy, 0);
    EXPECT_FALSE(IsWindowVisible(s_host));
}

// Deactivating the target would close its menus and tooltips and repaint its
// caption between the two copies.
TEST_F(WindowCapture, TargetKeepsTheActivationThroughout)
{
    SampleWindowProcess const sample({.title = L"Active", .width = 60, .height = 40});
    ClickToFront(sample.window());
    PumpMessages(100);
    LRESULT const before = SendMessageW(sample.window(), kSampleDeactivationsQuery, 0, 0);
    Capture(sample.window());
    EXPECT_EQ(SendMessageW(sample.window(), kSampleDeactivationsQuery, 0, 0), before);
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / L"Active.png"));
}

// A window that keeps its place in the z-order, as an elevated one does for an
// unelevated program, stays under the backdrop: both copies would show the
// backdrop alone. Nothing is saved, everything made is released, and the next
// capture works.
TEST_F(WindowCapture, TargetThatRefusesToRiseSavesNothing)
{
    {
        SampleWindowProcess const stubborn({.title = L"Stubborn", .width = 60, .height = 40, .refuseZOrder = true});
        Capture(stubborn.window()); // GDI's and GDI+'s own caches are set up by a first capture
        std::int64_t const before = CountGdiObjects();
        Capture(stubborn.window());
        EXPECT_EQ(CountGdiObjects(), before);
        EXPECT_TRUE(std::filesystem::is_empty(m_folder.path()));
        EXPECT_EQ(g_app.captureBusy, 0);
        EXPECT_FALSE(IsWindowVisible(s_host));
    }
    SampleWindowProcess const sample({.title = L"Willing", .width = 60, .height = 40});
    Capture(sample.window());
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / L"Willing.png"));
}

// Back to the bottom after every raise, as the sample window's --refuse-zorder.
LRESULT CALLBACK StayAtTheBottom(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGED && GetWindow(window, GW_HWNDNEXT) != nullptr)
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return DefWindowProcW(window, message, wParam, lParam);
}

// The taskbar keeps its own place too, but it is captured as it always was.
TEST_F(WindowCapture, TaskbarIsCapturedWhereItStands)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = StayAtTheBottom;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = L"Shell_TrayWnd";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    HWND const taskbar = CreateWindowExW(0, windowClass.lpszClassName, L"Taskbar", WS_POPUP | WS_VISIBLE, 300, 300, 80,
                                         30, nullptr, nullptr, windowClass.hInstance, nullptr);
    PumpMessages(100);
    Capture(taskbar);
    DestroyWindow(taskbar);
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / L"Taskbar.png"));
}

TEST_F(WindowCapture, SecondCaptureWhileOneRunsDoesNothing)
{
    SampleWindowProcess const sample({.title = L"Busy", .width = 40, .height = 40});
    g_app.captureBusy = 1;
    Capture(sample.window());
    EXPECT_EQ(g_app.captureBusy, 1);
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / L"Busy.png"));

    g_app.captureBusy = 0;
    Capture(sample.window());
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / L"Busy.png"));
}

struct CursorCase {
    const char* name;
    CursorKind kind;
    POINT pointer; // within the target window
    std::int32_t width, height;
};

// The target is a window of the test at (300, 300), 120 x 100, showing the
// sample window's opaque pixels, whose class cursor is the test cursor. The
// cursor is drawn before the crop, so a cursor that reaches into the margin
// is content and widens the image.
TEST_F(WindowCapture, CursorIsDrawnWhereItStandsBeforeTheCrop)
{
    g_app.settings.includeCursor = 1;
    CursorCase const cases[] = {
        {"colour_inside", CursorKind::Colour, {60, 50}, 120, 100},
        {"monochrome_inside", CursorKind::Monochrome, {60, 50}, 120, 100},
        {"colour_into_the_margin", CursorKind::Colour, {118, 98}, 129, 111},
    };
    for (CursorCase const& c : cases) {
        SCOPED_TRACE(c.name);
        TestCursorShape const shape = ShapeOf(c.kind);
        // Where the cursor's image starts in the capture rectangle, which
        // begins 15 pixels left of and above the window.
        POINT const image = {15 + c.pointer.x - shape.hotSpotX, 15 + c.pointer.y - shape.hotSpotY};
        CaptureExpectation expectation = {.mode = SampleMode::Opaque, .windowWidth = 120, .windowHeight = 100};
        expectation.pointer = [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
            bool const onCursor = x >= image.x && x < image.x + shape.side && y >= image.y && y < image.y + shape.side;
            return onCursor ? TestCursorPixel(c.kind, x - image.x, y - image.y) : 0;
        };
        HCURSOR cursor = CreateTestCursor(c.kind);
        {
            CursorStage const stage(cursor, {300, 300, 420, 400}, {300 + c.pointer.x, 300 + c.pointer.y});
            CheckCaptureOf(stage.window(), L"Cursor stage", expectation);
        }
        DestroyCursor(cursor);

        DecodedImage const captured = TakeCapture(L"Cursor stage");
        EXPECT_EQ(captured.width, c.width);
        EXPECT_EQ(captured.height, c.height);
    }
}

TEST_F(WindowCapture, ManyCapturesLeaveNoGdiObjectBehind)
{
    g_app.settings.includeCursor = 1;
    g_app.settings.checkerboard = 1;
    // A target of the test with the pointer over it, so that every capture
    // draws the cursor too.
    HCURSOR cursor = CreateTestCursor(CursorKind::Colour);
    {
        CursorStage const stage(cursor, {300, 300, 340, 330}, {320, 315});
        Capture(stage.window()); // the first capture sets up GDI+'s and GDI's own caches
        std::int64_t const before = CountGdiObjects();
        ASSERT_GT(before, 0);
        for (int i = 0; i < 200; ++i)
            Capture(stage.window());
        EXPECT_EQ(CountGdiObjects(), before);
    }
    DestroyCursor(cursor);
}

} // namespace
