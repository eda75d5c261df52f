#include "shell/capture_flow.h"

#include "capture/backdrop_screen_win32.h"
#include "capture/capture_rect.h"
#include "capture/screen_layout_win32.h"

#include "capture_test_support.h"
#include "tests/e2e/capture_check_win32.h"
#include "tests/e2e/sample_window_process_win32.h"
#include "tests/e2e/top_level_windows_win32.h"
#include "tests/e2e/user_input_win32.h"
#include "tests/support/scratch_folder.h"
#include "imaging/auto_crop.h"
#include "png/png_reader.h"
#include "shell/app_state.h"
#include "tests/support/sample_window/sample_options.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
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
    // The host waits parked, as the program's does from start-up on.
    static void SetUpTestSuite()
    {
        s_host = CreateCaptureHost();
        PrepareBackdropHost(s_host);
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
        g_app.shadowMargin = kCaptureMargin;
    }

    // Makes `window` the foreground window, with a click as a user would,
    // and captures it.
    void Capture(HWND window)
    {
        ClickToFront(window);
        CaptureForegroundWindow(s_host);
    }

    // Captures `window` into the automatic file named after `title` and
    // checks it against the sample window's known pixels
    // (tests/e2e/capture_check_win32.h).
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

    void CheckCursorDrawn(struct CursorCase const& c, POINT stage);

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
        EXPECT_FALSE(ShowsAsBackdrop(s_host));
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

// A window off every monitor (right of the only one) leaves a rectangle
// without pixels: the capture ends with nothing made or saved.
TEST_F(WindowCapture, TargetOffEveryMonitorSavesNothing)
{
    int const right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    SampleWindowProcess const sample({.title = L"Elsewhere", .x = right + 100, .y = 100, .width = 40, .height = 40});
    RECT windowRect = {};
    ASSERT_TRUE(GetWindowRect(sample.window(), &windowRect));
    ASSERT_GT(windowRect.left, right);
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
    // Wine hands the activation on to another window a moment after the
    // foreground window went, if it finds one.
    PumpMessages(200);
    if (GetForegroundWindow())
        GTEST_SKIP() << "wine keeps a foreground window; the rectangle is tested natively";

    CaptureForegroundWindow(s_host);

    DecodedImage const image = TakeCapture(L"");
    EXPECT_EQ(image.width, 15);
    EXPECT_EQ(image.height, 15);
}

bool IsTopmost(HWND window)
{
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// A capture must not change the window it captures: a topmost target is
// captured exactly, with the backdrop directly behind it, and stays topmost.
// The host, which stood among the topmost windows behind it, is left
// topmost by nothing, and the next capture of an ordinary window is right.
TEST_F(WindowCapture, TopmostTargetStaysTopmost)
{
    {
        SampleWindowProcess const sample({.title = L"Topmost"});
        SetWindowPos(sample.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_TRUE(IsTopmost(sample.window()));
        CheckCaptureOf(sample.window(), L"Topmost", {});
        EXPECT_TRUE(IsTopmost(sample.window()));
        EXPECT_FALSE(IsTopmost(s_host));
        EXPECT_FALSE(ShowsAsBackdrop(s_host));
    }
    SampleWindowProcess const sample({.title = L"Ordinary", .mode = SampleMode::Constant});
    CheckCaptureOf(sample.window(), L"Ordinary", {.mode = SampleMode::Constant});
    EXPECT_FALSE(IsTopmost(sample.window()));
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
    EXPECT_FALSE(ShowsAsBackdrop(s_host));
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

// Back to its place after every raise, right under the window that was over
// it, as an elevated window stays put for an unelevated program: Windows would
// refuse the raise, wine carries it out, and this undoes it inside the call.
LRESULT CALLBACK KeepItsPlace(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    static HWND above = nullptr;
    static bool returning = false;
    if (message == WM_WINDOWPOSCHANGING && !returning)
        above = GetWindow(window, GW_HWNDPREV);
    if (message == WM_WINDOWPOSCHANGED && !returning && above && GetWindow(window, GW_HWNDPREV) != above) {
        returning = true;
        SetWindowPos(window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        returning = false;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A window of this thread in one colour, of its own class.
struct PlainWindowOptions {
    wchar_t const* className;
    wchar_t const* title;
    RECT rect;
    int brush = GRAY_BRUSH;       // a stock brush
    DWORD exStyle = 0;
    bool keepItsPlace = false;    // no raise brings it up
    BYTE alpha = 255;             // below 255, the window is translucent
    HWND owner = nullptr;
    bool visible = true;
};

class PlainWindow {
public:
    explicit PlainWindow(PlainWindowOptions const& options)
    {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = options.keepItsPlace ? KeepItsPlace : DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(options.brush));
        windowClass.lpszClassName = options.className;
        m_class = RegisterClassExW(&windowClass);
        RECT const r = options.rect;
        DWORD const layered = options.alpha < 255 ? WS_EX_LAYERED : 0;
        m_window = CreateWindowExW(options.exStyle | layered, options.className, options.title,
                                   WS_POPUP | (options.visible ? WS_VISIBLE : 0), r.left,
                                   r.top, r.right - r.left, r.bottom - r.top, options.owner, nullptr,
                                   windowClass.hInstance, nullptr);
        if (layered)
            SetLayeredWindowAttributes(m_window, 0, options.alpha, LWA_ALPHA);
        PumpMessages(100);
    }
    ~PlainWindow()
    {
        DestroyWindow(m_window);
        UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(m_class)), GetModuleHandleW(nullptr));
    }
    PlainWindow(PlainWindow const&) = delete;
    PlainWindow& operator=(PlainWindow const&) = delete;

    HWND window() const { return m_window; }

private:
    ATOM m_class = 0;
    HWND m_window = nullptr;
};

// Raising a topmost window in the way that strips it of its state would strip
// its owner and the windows it owns too: all three stay topmost. (The owned
// window is hidden: wine stacks the X window of a target under its own
// visible popup apart from the z-order it reports.)
TEST_F(WindowCapture, TopmostTargetsOwnerAndOwnedWindowsStayTopmost)
{
    PlainWindow const owner({.className = L"LucidframeOwner", .title = L"Owner", .rect = {100, 100, 180, 160},
                             .exStyle = WS_EX_TOPMOST});
    PlainWindow const target({.className = L"LucidframeOwnedTarget", .title = L"Owned target",
                              .rect = {250, 150, 350, 210}, .brush = WHITE_BRUSH, .owner = owner.window()});
    PlainWindow const owned({.className = L"LucidframeOwnedByTarget", .title = L"Owned by it",
                             .rect = {500, 150, 560, 200}, .owner = target.window(), .visible = false});
    SetWindowPos(target.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (HWND window : {owner.window(), target.window(), owned.window()})
        ASSERT_TRUE(IsTopmost(window));
    Capture(target.window());
    DecodedImage const image = TakeCapture(L"Owned target");
    ASSERT_EQ(image.width, 100);
    ASSERT_EQ(image.height, 60);
    for (std::uint32_t pixel : image.pixels)
        ASSERT_EQ(pixel, 0xFFFFFFFFu);
    EXPECT_TRUE(IsTopmost(owner.window()));
    EXPECT_TRUE(IsTopmost(target.window()));
    EXPECT_TRUE(IsTopmost(owned.window()));
    EXPECT_FALSE(IsTopmost(s_host));
}

// Windows whose copies look least like a capture's, and a capture with a
// translucent window over its tag ring: the check of the copies takes each
// for current, so the capture is saved, and right.
TEST_F(WindowCapture, UnusualCopiesAreNoStaleFrames)
{
    int const screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int const screenHeight = GetSystemMetrics(SM_CYSCREEN);
    auto const solid = [&](int brush, std::uint32_t colour) {
        PlainWindow const window({L"LucidframeSolid", L"Solid", {200, 150, 300, 210}, brush});
        Capture(window.window());
        DecodedImage const image = TakeCapture(L"Solid");
        EXPECT_EQ(image.width, 100);
        EXPECT_EQ(image.height, 60);
        for (std::uint32_t pixel : image.pixels)
            ASSERT_EQ(pixel, colour);
    };
    struct {
        char const* name;
        std::function<void()> captureAndCheck;
    } const cases[] = {
        {"opaque_black", [&] { solid(BLACK_BRUSH, 0xFF000000u); }},
        {"opaque_white", [&] { solid(WHITE_BRUSH, 0xFFFFFFFFu); }},
        {"filling_the_screen",
         [&] {
             SampleWindowProcess const sample({.title = L"Filling", .x = -20, .y = -20, .width = screenWidth + 40,
                                               .height = screenHeight + 40});
             Capture(sample.window());
             DecodedImage const image = TakeCapture(L"Filling");
             ASSERT_EQ(image.width, screenWidth);
             ASSERT_EQ(image.height, screenHeight);
             std::string mismatch;
             for (std::int32_t y = 0; y < screenHeight && mismatch.empty(); ++y) {
                 for (std::int32_t x = 0; x < screenWidth; ++x) {
                     std::uint32_t const expected =
                         SamplePixel(SampleMode::Pattern, x + 20, y + 20, screenWidth + 40, screenHeight + 40);
                     std::uint32_t const actual = image.pixels[static_cast<std::size_t>(y) * screenWidth + x];
                     if (!SamplePixelMatches(actual, expected)) {
                         mismatch = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                                    std::to_string(actual) + ", expected " + std::to_string(expected);
                         break;
                     }
                 }
             }
             EXPECT_EQ(mismatch, "");
         }},
        {"topmost_window_over_the_ring",
         [&] {
             g_app.settings.autoCrop = 0;
             PlainWindow const over({L"LucidframeTopmost", L"Topmost", {150, 100, 195, 145}, GRAY_BRUSH,
                                     WS_EX_TOPMOST | WS_EX_NOACTIVATE, false, 160});
             SampleWindowProcess const sample({.title = L"Under", .x = 200, .y = 150, .width = 100, .height = 60});
             Capture(sample.window());
             DecodedImage image = TakeCapture(L"Under");
             ASSERT_EQ(image.width, 130);
             ASSERT_EQ(image.height, 90);
             std::int32_t width = image.width;
             std::int32_t height = image.height;
             CropToBox(image.pixels.data(), width, height, 15, 15, 100, 60);
             std::string mismatch;
             EXPECT_TRUE(MatchesSample(SampleMode::Pattern, image.pixels.data(), width, height, mismatch)) << mismatch;
             g_app.settings.autoCrop = 1;
         }},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        c.captureAndCheck();
    }
}

// An opaque window of a thread of its own that paints itself one grey level
// lighter every two milliseconds, as a video or an animation changes. Over
// black and over white it shows the same colour, but a later copy shows a
// lighter one: a pair of copies made at different times breaks none of the
// pair's rules, and would matte to a translucent window.
class BrighteningWindow {
public:
    explicit BrighteningWindow(RECT rect) : m_made(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        m_thread = std::thread([this, rect] { Run(rect); });
        WaitForSingleObject(m_made, INFINITE);
    }
    ~BrighteningWindow()
    {
        m_stop = true;
        m_thread.join();
        CloseHandle(m_made);
    }
    BrighteningWindow(BrighteningWindow const&) = delete;
    BrighteningWindow& operator=(BrighteningWindow const&) = delete;

    HWND window() const { return m_window; }

private:
    void Run(RECT rect)
    {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LucidframeBrightening";
        ATOM const atom = RegisterClassExW(&windowClass);
        HWND const window = CreateWindowExW(0, windowClass.lpszClassName, L"Brightening", WS_POPUP | WS_VISIBLE,
                                            rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                            nullptr, nullptr, windowClass.hInstance, nullptr);
        m_window = window;
        SetEvent(m_made);
        RECT const client = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
        for (int grey = 0; !m_stop; grey = (grey + 1) % 256) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
            HBRUSH const brush = CreateSolidBrush(RGB(grey, grey, grey));
            HDC const dc = GetDC(window);
            FillRect(dc, &client, brush);
            ReleaseDC(window, dc);
            DeleteObject(brush);
            Sleep(2);
        }
        DestroyWindow(window);
        UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), windowClass.hInstance);
    }

    HANDLE const m_made; // set once the window is made
    std::atomic<bool> m_stop = false;
    HWND m_window = nullptr;
    std::thread m_thread;
};

// A window over the whole frame, the tag ring included (an overlay), leaves
// no ring pixel to prove that a copy is current, and nothing of the pair to
// judge either: the copies must still be judged, as those of a frame without
// a ring are, a frame apart. A brightening target then never settles; a file
// saved of it would be translucent.
TEST_F(WindowCapture, FrameUnderAnOverlayStillJudgesItsCopies)
{
    BrighteningWindow const target({200, 150, 300, 210});
    ClickToFront(target.window());
    PlainWindow const overlay({.className = L"LucidframeOverlay", .title = L"Overlay", .rect = {150, 100, 350, 260},
                               .exStyle = WS_EX_TOPMOST | WS_EX_NOACTIVATE, .alpha = 1, .visible = false});
    ShowWindow(overlay.window(), SW_SHOWNA);
    PumpMessages(50);
    ASSERT_EQ(GetForegroundWindow(), target.window());
    CaptureForegroundWindow(s_host);
    std::filesystem::path const file = m_folder.path() / L"Brightening.png";
    if (std::filesystem::exists(file)) {
        DecodedImage const image = TakeCapture(L"Brightening");
        for (std::uint32_t pixel : image.pixels)
            ASSERT_EQ(pixel >> 24, 255u) << "a translucent capture of an opaque window";
    }
    EXPECT_EQ(g_app.captureBusy, 0);
}

// Real copies carry the staircase inside the tags, and on a screen that
// blends 8-bit values, as wine's, it comes back as painted: were this screen
// to compose in linear light, its transfer would be the identity, and an
// opaque window would be matted exactly opaque.
TEST_F(WindowCapture, StaircaseComesBackAsPainted)
{
    CaptureRect const windowRect = {200, 150, 300, 210};
    PlainWindow const window({L"LucidframeSolid", L"Solid", {200, 150, 300, 210}});
    ClickToFront(window.window());
    CaptureRequest request;
    request.screen = CurrentDisplayFacts().layout;
    request.bounds = request.screen.bounds;
    request.window = request.shown = windowRect;
    request.monitor = request.screen.primary;
    request.colourMode = ColourMode::Hdr;
    BackdropScreen screen(s_host, window.window(), false, false);
    CaptureResult const result = CaptureOverBackdrops(request, screen);
    ASSERT_EQ(result.status, CaptureStatus::Matted);
    ASSERT_TRUE(result.measured.has_value());
    EXPECT_EQ(result.measured->copied, IdentityTransfer().copied);
    EXPECT_EQ(int{result.measured->noise}, 0);
    CaptureRect const inFrame = InFrame(windowRect, result.frame);
    for (std::int32_t y = inFrame.top; y < inFrame.bottom; ++y)
        for (std::int32_t x = inFrame.left; x < inFrame.right; ++x)
            ASSERT_EQ(result.image.pixels[static_cast<std::size_t>(y) * result.image.width + x], 0xFF808080u) << x << "," << y;
    ParkBackdropHost(s_host);
}

// A window that keeps its place in the z-order, as an elevated one does for an
// unelevated program, stays under the window over it: both copies would show
// that window as the target's own pixels. Nothing is saved, everything made
// is released, and the next capture works.
TEST_F(WindowCapture, TargetThatRefusesToRiseSavesNothing)
{
    {
        PlainWindow const stubborn({.className = L"LucidframeStubborn", .title = L"Stubborn",
                                    .rect = {200, 150, 260, 190}, .keepItsPlace = true});
        SampleWindowProcess const over({.title = L"Over it", .x = 240, .y = 160, .width = 60, .height = 40});
        ASSERT_NE(stubborn.window(), nullptr);
        Capture(stubborn.window()); // GDI's and GDI+'s own caches are set up by a first capture
        std::int64_t const before = CountGdiObjects();
        Capture(stubborn.window());
        EXPECT_EQ(CountGdiObjects(), before);
        EXPECT_TRUE(std::filesystem::is_empty(m_folder.path()));
        EXPECT_EQ(g_app.captureBusy, 0);
        EXPECT_FALSE(ShowsAsBackdrop(s_host));
    }
    SampleWindowProcess const sample({.title = L"Willing", .width = 60, .height = 40});
    Capture(sample.window());
    EXPECT_TRUE(std::filesystem::exists(m_folder.path() / L"Willing.png"));
}

// The taskbar keeps its own place too, but it is captured where it stands.
TEST_F(WindowCapture, TaskbarIsCapturedWhereItStands)
{
    {
        PlainWindow const taskbar({.className = L"Shell_TrayWnd", .title = L"Taskbar", .rect = {300, 300, 380, 330},
                                   .keepItsPlace = true});
        Capture(taskbar.window());
    }
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

// The target is a window of the test, 120 x 100 with its top-left corner at
// `stage`, showing the sample window's opaque pixels, whose class cursor is
// the test cursor. The cursor is drawn before the crop, so a cursor that
// reaches into the margin is content and widens the image.
void WindowCapture::CheckCursorDrawn(CursorCase const& c, POINT stage)
{
    g_app.settings.includeCursor = 1;
    SCOPED_TRACE(c.name);
    TestCursorShape const shape = ShapeOf(c.kind);
    // Where the cursor's image starts in the capture rectangle, which begins
    // 15 pixels left of and above the window.
    POINT const image = {15 + c.pointer.x - shape.hotSpotX, 15 + c.pointer.y - shape.hotSpotY};
    CaptureExpectation expectation = {.mode = SampleMode::Opaque, .windowWidth = 120, .windowHeight = 100};
    expectation.pointer = [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
        bool const onCursor = x >= image.x && x < image.x + shape.side && y >= image.y && y < image.y + shape.side;
        return onCursor ? TestCursorPixel(c.kind, x - image.x, y - image.y) : 0;
    };
    HCURSOR cursor = CreateTestCursor(c.kind);
    {
        CursorStage const target(cursor, {stage.x, stage.y, stage.x + 120, stage.y + 100},
                                 {stage.x + c.pointer.x, stage.y + c.pointer.y});
        CheckCaptureOf(target.window(), L"Cursor stage", expectation);
    }
    DestroyCursor(cursor);

    DecodedImage const captured = TakeCapture(L"Cursor stage");
    EXPECT_EQ(captured.width, c.width);
    EXPECT_EQ(captured.height, c.height);
}

CursorCase const kCursorCases[] = {
    {"colour_inside", CursorKind::Colour, {60, 50}, 120, 100},
    {"monochrome_inside", CursorKind::Monochrome, {60, 50}, 120, 100},
    {"colour_into_the_margin", CursorKind::Colour, {118, 98}, 129, 111},
};

TEST_F(WindowCapture, CursorIsDrawnWhereItStandsBeforeTheCrop)
{
    for (CursorCase const& c : kCursorCases)
        CheckCursorDrawn(c, {300, 300});
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

// --- Two monitors: the test display with LUCIDFRAME_MONITORS=2, a 1024x768
// primary with a 1280x1024 monitor on its right.

class TwoMonitors : public WindowCapture {
protected:
    void SetUp() override
    {
        if (GetSystemMetrics(SM_CMONITORS) < 2)
            GTEST_SKIP() << "needs two monitors: LUCIDFRAME_MONITORS=2 tests/support/test-display";
        WindowCapture::SetUp();
    }
};

// The pointer over a window on the secondary monitor, drawn where it stands
// however far right of the primary the capture's origin lies.
TEST_F(TwoMonitors, CursorIsDrawnOverAWindowOnTheSecondary)
{
    for (CursorCase const& c : kCursorCases)
        CheckCursorDrawn(c, {1400, 300});
}

// The rectangle is clamped to both monitors together: a window across their
// common edge is whole, one on the secondary at the virtual screen's right
// edge is cut there.
TEST_F(TwoMonitors, WindowsAnywhereAreCapturedUpToTheVirtualScreensEdges)
{
    int const right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    struct {
        wchar_t const* title;
        std::int32_t x, y;
        CaptureExpectation expectation;
    } const cases[] = {
        {L"Across", GetSystemMetrics(SM_CXSCREEN) - 120, 200, {}},
        {L"At the right edge", right - 100, 300, {.captureWidth = 115}},
    };
    for (auto const& c : cases) {
        std::wstring const title = c.title;
        SCOPED_TRACE(std::string(title.begin(), title.end()));
        SampleWindowProcess const sample({.title = title, .x = c.x, .y = c.y});
        CheckCaptureOf(sample.window(), title, c.expectation);
    }
}

} // namespace
