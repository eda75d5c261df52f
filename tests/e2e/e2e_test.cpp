// The real Lucidframe.exe driven as a user drives it: keys through
// SendInput, the tray menu through the icon's callback message, the Save
// dialog through its controls; checked by the files it leaves behind.
// Each test starts the program from a fresh folder and ends it with its exit
// command, so every test also sees a clean exit with code 0.

#include "png/png_reader.h"
#include "output/png_file.h"
#include "output/clipboard_image.h"
#include "tests/e2e/capture_check_win32.h"
#include "tests/e2e/clipboard_contents_win32.h"
#include "tests/e2e/file_holder_process_win32.h"
#include "tests/e2e/lucidframe_app_win32.h"
#include "tests/e2e/owned_dialogs_win32.h"
#include "tests/e2e/sample_window_process_win32.h"
#include "tests/e2e/test_conditions_win32.h"
#include "tests/e2e/top_level_windows_win32.h"
#include "tests/e2e/user_input_win32.h"
#include "tests/support/retry_log_win32.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

wchar_t const kHotKeyWarning[] = L"注册热键 Ctrl+PrtSc 失败，程序无法正常工作！";
// The settings of a user who chose Chinese, for the rows that read the
// program's Chinese texts whatever language Windows speaks.
std::string const kSpeakingChinese = "[程序设置]\n界面语言=1\n";
// Long enough for the dialog manager's first idle moment to have passed.
DWORD const kAMomentMs = 500;

// The settings file holding one key, as the program writes it after one
// choice from the menu; value -1 stands for no file at all.
std::string IniHolding(char const* key, int value)
{
    return value < 0 ? "" : std::string("[程序设置]\n") + key + "=" + std::to_string(value) + "\n";
}

SampleOptions Sample(wchar_t const* title, SampleMode mode = SampleMode::Pattern)
{
    SampleOptions options;
    options.title = title;
    options.x = 300;
    options.y = 200;
    options.mode = mode;
    return options;
}

// The rows that read the tray's balloons and menu run lucidframe-notes-balloons.exe.
char const kNeedsNotingBuild[] = "needs lucidframe-notes-balloons.exe, which only GNU ld can link";

bool NotingBuildIsThere()
{
    return std::filesystem::exists(ProgramUnderTest().parent_path() / L"lucidframe-notes-balloons.exe");
}

void PressHotKey(SampleWindowProcess& sample)
{
    sample.BringToFront();
    PressChord({VK_CONTROL, VK_SNAPSHOT});
}

// The names of the captures in `folder`, sorted.
std::vector<std::wstring> CapturesIn(std::filesystem::path const& folder)
{
    std::vector<std::wstring> names;
    for (auto const& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == L".png")
            names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

class EndToEnd : public testing::Test {
protected:
    void TearDown() override
    {
        if (!HasFailure())
            app.Stop();
    }

    // Captures the sample with the hot key into its automatic file and checks it.
    void CheckHotKeyCapture(SampleWindowProcess& sample, CaptureExpectation const& expectation)
    {
        CheckCapture(expectation, app.AutomaticFile(sample.options().title), app,
                     [&] { PressHotKey(sample); });
    }

    LucidframeApp app;
};

// --- Captures -------------------------------------------------------------

enum class Trigger {
    HotKey,
    DelayedCaptureFromMenu, // three seconds to click the window
};

struct CaptureRow {
    char const* name;
    SampleMode mode;
    Trigger trigger;
    int captures;       // in one run: a program that spoils the later ones fails
    bool windows10;     // the hot key registered without MOD_NOREPEAT
    bool hotKeyTaken;   // another program holds Ctrl+PrtSc
};

CaptureRow const kCaptureRows[] = {
    {"hot_key_per_pixel_alpha", SampleMode::Pattern, Trigger::HotKey, 2, false, false},
    {"hot_key_constant_alpha", SampleMode::Constant, Trigger::HotKey, 2, false, false},
    {"hot_key_opaque", SampleMode::Opaque, Trigger::HotKey, 2, false, false},
    {"hot_key_with_windows10_modifiers", SampleMode::Pattern, Trigger::HotKey, 2, true, false},
    {"delayed_capture_from_menu", SampleMode::Pattern, Trigger::DelayedCaptureFromMenu, 1, false, false},
    {"delayed_capture_while_the_hot_key_is_taken", SampleMode::Pattern, Trigger::DelayedCaptureFromMenu, 1, false,
     true},
};

void PrintTo(CaptureRow const& row, std::ostream* out)
{
    *out << row.name;
}

class Capture : public EndToEnd, public testing::WithParamInterface<CaptureRow> {};

// The automatic file is named after the window and holds its known pixels,
// cropped to the window; no capture writes the settings file.
TEST_P(Capture, SavesTheWindowWithItsAlpha)
{
    CaptureRow const row = GetParam();
    std::optional<HotKeyHeldElsewhere> holder;
    std::optional<WineReportsWindows10> windows10;
    if (row.hotKeyTaken)
        holder.emplace();
    if (row.windows10)
        windows10.emplace();

    std::string const ini = row.hotKeyTaken ? kSpeakingChinese : "";
    if (!ini.empty())
        app.WriteIni(ini);
    app.Start();
    if (row.hotKeyTaken) {
        EXPECT_EQ(ReadAndCloseMessageBox(app.host(), L"提示", app.process()), kHotKeyWarning);
    }

    SampleWindowProcess sample(Sample(L"Sample window", row.mode));
    for (int i = 0; i < row.captures; ++i) {
        CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Sample window"), app, [&] {
            if (row.trigger == Trigger::HotKey) {
                PressHotKey(sample);
            } else {
                app.Choose(TrayCommand::DelayedCapture);
                sample.BringToFront();
            }
        });
    }
    EXPECT_EQ(app.ReadIni(), ini);
}

INSTANTIATE_TEST_SUITE_P(Rows, Capture, testing::ValuesIn(kCaptureRows),
                         [](testing::TestParamInfo<CaptureRow> const& info) { return info.param.name; });

// --- Saves under a virus scanner ------------------------------------------

// Virus scanners, indexers and sync clients hold each new file of the folder
// for a moment without delete sharing, so that it can be neither renamed nor
// deleted. A first capture and one that replaces an earlier capture of the
// window both land, complete, and leave nothing else in the folder.
struct HeldSaveRow {
    char const* name;
    bool earlierCapture;
};

HeldSaveRow const kHeldSaveRows[] = {
    {"first_save", false},
    {"replacing_an_earlier_capture", true},
};

void PrintTo(HeldSaveRow const& row, std::ostream* out)
{
    *out << row.name;
}

class HeldNewFiles : public EndToEnd, public testing::WithParamInterface<HeldSaveRow> {};

TEST_P(HeldNewFiles, CaptureLandsCompleteAndAlone)
{
    app.Start();
    SampleWindowProcess sample(Sample(L"Held sample"));
    std::filesystem::path const file = app.AutomaticFile(L"Held sample");
    std::uint32_t const earlierPixel = 0xFF336699;
    if (GetParam().earlierCapture && !SavePngFile(file, &earlierPixel, 1, 1))
        Fail("cannot write the earlier capture");
    FileHolderProcess const scanner(app.folder(), 400);

    PressHotKey(sample);
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    WaitUntil([&] { return ReadPng(file, pixels, width, height) && width == sample.options().width; }, 5000,
              "the new capture, complete", {&app.process()});
    app.WaitUntilIdle();
    EXPECT_EQ(height, sample.options().height);
    std::vector<std::wstring> entries;
    for (auto const& entry : std::filesystem::directory_iterator(app.folder()))
        entries.push_back(entry.path().filename().wstring());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"Held sample.png", L"Lucidframe.exe"}));
}

INSTANTIATE_TEST_SUITE_P(Rows, HeldNewFiles, testing::ValuesIn(kHeldSaveRows),
                         [](testing::TestParamInfo<HeldSaveRow> const& info) { return info.param.name; });

// --- The clipboard ---------------------------------------------------------

std::vector<std::uint8_t> FileBytes(std::filesystem::path const& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A capture pastes with its alpha wherever "PNG" is read, the very file's
// bytes; as the same straight pixels from CF_DIBV5; and as the window on a
// white page from CF_DIB. Nothing else is put there. "PNG" is there at once;
// the program makes each bitmap when it is first asked for, and all of them
// as it ends, so that they outlive it, which is when they are read here (the
// manual save's test reads them from the running program).
TEST_F(EndToEnd, ClipboardHoldsTheCaptureThreeWays)
{
    app.Start();
    SampleWindowProcess sample(Sample(L"Pasted"));
    PutTextOnClipboard(L"before the capture");
    CheckHotKeyCapture(sample, ExpectationFor(sample.options()));
    std::filesystem::path const file = app.AutomaticFile(L"Pasted");
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(ReadPng(file, pixels, width, height));
    app.Stop();

    ClipboardCapture const clipboard = ReadClipboardCapture();
    ASSERT_GE(clipboard.formats.size(), 3u);
    EXPECT_EQ(std::vector<UINT>(clipboard.formats.begin(), clipboard.formats.begin() + 3),
              (std::vector<UINT>{RegisterClipboardFormatW(L"PNG"), CF_DIBV5, CF_DIB}));
    // The system may offer more, made on request from the bitmaps it holds.
    for (std::size_t i = 3; i < clipboard.formats.size(); ++i)
        EXPECT_TRUE(clipboard.formats[i] == CF_BITMAP || clipboard.formats[i] == CF_PALETTE)
            << "format " << clipboard.formats[i];
    EXPECT_EQ(clipboard.png, FileBytes(file));
    ASSERT_EQ(clipboard.fault, "");
    EXPECT_EQ(clipboard.width, width);
    EXPECT_EQ(clipboard.height, height);
    EXPECT_EQ(clipboard.dibV5, pixels);
    std::vector<std::uint32_t> overWhite(pixels.size());
    std::transform(pixels.begin(), pixels.end(), overWhite.begin(), OverWhite);
    EXPECT_EQ(clipboard.dib, overWhite);
}

// --- What the tray says -----------------------------------------------------
// Against lucidframe-notes-balloons.exe, which notes each balloon's text.

// What one row sets up around the sample window before Ctrl+PrtSc.
struct BalloonScene {
    LucidframeApp& app;
    SampleWindowProcess& sample;
    std::optional<SampleWindowProcess> over = {};    // a window over the sample
    std::optional<FileHolderProcess> scanner = {};   // holds every new file of the program folder
    std::optional<ClipboardHeld> clipboardHeld = {}; // another program holding the clipboard
    std::vector<std::uint8_t> keptFile = {};         // an earlier capture that must survive
};

struct BalloonRow {
    char const* name;
    bool stubborn; // the sample goes back under any window over it, as an elevated one does
    bool large;    // a window whose copies take long enough for a repaint between them
    // Prepares the capture, brings the window to capture to the front and
    // returns the balloon it should give.
    std::wstring (*prepare)(BalloonScene& scene);
    bool savesAFile;
    char const* settings = ""; // the lines of the settings file besides the language, written before the start
};

std::filesystem::path const kBalloonFile = L"Balloon sample.png";

BalloonRow const kBalloonRows[] = {
    {"saved", false, false,
     [](BalloonScene& scene) {
         scene.sample.BringToFront();
         return std::wstring(L"已保存：Balloon sample.png\n已复制到剪贴板");
     },
     true},
    {"clipboard_held_by_another_program", false, false,
     [](BalloonScene& scene) {
         scene.clipboardHeld.emplace();
         scene.sample.BringToFront();
         return std::wstring(L"已保存：Balloon sample.png\n剪贴板被其他程序占用");
     },
     true},
    {"content_keeps_changing", false, true,
     [](BalloonScene& scene) {
         scene.sample.BringToFront();
         scene.sample.StartFading();
         return std::wstring(L"截图失败：窗口内容一直在变化，请再试一次");
     },
     false},
    {"window_not_answering", false, false,
     [](BalloonScene& scene) {
         scene.sample.BringToFront();
         scene.sample.StopAnswering(3000);
         return std::wstring(L"截图失败：窗口没有响应");
     },
     false},
    {"window_that_cannot_be_raised", true, false,
     [](BalloonScene& scene) {
         SampleOptions over = Sample(L"Window over it");
         over.x += scene.sample.options().width - 60;
         scene.over.emplace(over);
         scene.sample.BringToFront();
         return std::wstring(L"截图失败：窗口无法置于最前（它可能以管理员身份运行）");
     },
     false},
    // The reason is the system's own words, in its language; the test knows
    // only that there are some.
    {"folder_in_the_way", false, false,
     [](BalloonScene& scene) {
         std::filesystem::create_directory(scene.app.folder() / kBalloonFile);
         scene.sample.BringToFront();
         return std::wstring(L"保存失败：Balloon sample.png\n*\n已复制到剪贴板");
     },
     false},
    // A scanner holds the earlier capture longer than the save waits.
    {"destination_held_past_the_wait", false, false,
     [](BalloonScene& scene) {
         scene.scanner.emplace(scene.app.folder(), 6000);
         std::uint32_t const earlierPixel = 0xFF336699;
         if (!SavePngFile(scene.app.folder() / kBalloonFile, &earlierPixel, 1, 1))
             Fail("cannot write the earlier capture");
         scene.keptFile = FileBytes(scene.app.folder() / kBalloonFile);
         scene.sample.BringToFront();
         return std::wstring(L"已保存：Balloon sample (2).png\n已复制到剪贴板");
     },
     true},
    // The save folder that the settings name is a file: the system says why.
    {"save_folder_that_is_a_file", false, false,
     [](BalloonScene& scene) {
         std::ofstream(scene.app.folder() / L"Shots") << "a file";
         scene.sample.BringToFront();
         return std::wstring(L"保存失败：Balloon sample.png\n*\n已复制到剪贴板");
     },
     false, "保存位置=Shots\n"},
};

void PrintTo(BalloonRow const& row, std::ostream* out)
{
    *out << row.name;
}

class Balloon : public EndToEnd, public testing::WithParamInterface<BalloonRow> {};

// Whether a balloon is the expected text, in which a line "*" stands for any
// one line of words.
bool BalloonMatches(std::wstring const& balloon, std::wstring const& expected)
{
    std::size_t const star = expected.find(L"\n*\n");
    if (star == std::wstring::npos)
        return balloon == expected;
    std::wstring const head = expected.substr(0, star + 1), tail = expected.substr(star + 2);
    if (balloon.size() <= head.size() + tail.size() || !balloon.starts_with(head) || !balloon.ends_with(tail))
        return false;
    std::wstring const words = balloon.substr(head.size(), balloon.size() - head.size() - tail.size());
    return words.find(L'\n') == std::wstring::npos;
}

// Every capture says what became of it; a click on a "saved" balloon shows
// that file in its folder, and on any other nothing.
TEST_P(Balloon, SaysWhatBecameOfTheCapture)
{
    BalloonRow const row = GetParam();
    if (!NotingBuildIsThere())
        GTEST_SKIP() << kNeedsNotingBuild;
    LucidframeApp noting(L"lucidframe-notes-balloons.exe");
    noting.WriteIni(kSpeakingChinese + row.settings);
    noting.Start();
    SampleOptions options = Sample(L"Balloon sample", SampleMode::Opaque);
    options.refuseZOrder = row.stubborn;
    if (row.large) {
        options.width = 900;
        options.height = 600;
    }
    SampleWindowProcess sample(options);
    BalloonScene scene = {noting, sample};
    std::wstring const expected = row.prepare(scene);
    TakeCapture(
        noting, [] { PressChord({VK_CONTROL, VK_SNAPSHOT}); }, [&] { return !noting.Balloons().empty(); },
        "a balloon");
    scene.clipboardHeld.reset();
    noting.WaitUntilIdle();

    std::vector<std::wstring> const balloons = noting.Balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_TRUE(BalloonMatches(balloons[0], expected)) << Utf8(balloons[0]);
    if (!scene.keptFile.empty()) {
        EXPECT_EQ(FileBytes(noting.folder() / kBalloonFile), scene.keptFile) << "the earlier capture, byte for byte";
    }
    std::vector<std::wstring> const entries = [&] {
        std::vector<std::wstring> names;
        for (auto const& entry : std::filesystem::directory_iterator(noting.folder()))
            if (entry.path().filename().wstring().starts_with(L"~"))
                names.push_back(entry.path().filename().wstring());
        return names;
    }();
    EXPECT_EQ(entries, std::vector<std::wstring>{}) << "no temporary file is left";

    EXPECT_TRUE(noting.SendTrayMessage(NIN_BALLOONUSERCLICK));
    noting.WaitUntilIdle();
    std::vector<std::wstring> shown;
    if (row.savesAFile) {
        std::wstring const line = balloons[0].substr(0, balloons[0].find(L'\n'));
        shown.push_back((noting.folder() / line.substr(line.find(L'：') + 1)).wstring());
    }
    EXPECT_EQ(noting.FilesShown(), shown);
    noting.Stop();
}

INSTANTIATE_TEST_SUITE_P(Rows, Balloon, testing::ValuesIn(kBalloonRows),
                         [](testing::TestParamInfo<BalloonRow> const& info) { return info.param.name; });

// --- In the background -----------------------------------------------------

// A dialog shows, activated, at its first idle moment; the host refuses, so
// the window the user works in stays in front, and a hot key pressed at once
// captures that window rather than the host.
TEST_F(EndToEnd, StartUpLeavesTheWindowInFront)
{
    SampleWindowProcess sample(Sample(L"Front window"));
    sample.BringToFront();
    app.Start();
    Sleep(kAMomentMs);
    app.WaitUntilIdle();
    EXPECT_EQ(GetForegroundWindow(), sample.window());
    EXPECT_FALSE(ShowsAsBackdrop(app.host()));

    CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Front window"), app,
                 [] { PressChord({VK_CONTROL, VK_SNAPSHOT}); });
    EXPECT_EQ(CapturesIn(app.folder()), std::vector<std::wstring>{L"Front window.png"});
}

// The menu's owner is in front while the menu is open, so that a click
// elsewhere closes it; choosing nothing, it writes nothing.
TEST_F(EndToEnd, TrayMenuClosesOnAClickElsewhere)
{
    app.Start();
    SampleWindowProcess sample(Sample(L"Elsewhere"));
    app.OpenTrayMenu();
    EXPECT_EQ(GetForegroundWindow(), app.host());
    ClickAt(sample.InsideWindow());
    ParkPointer();
    WaitUntil([&] { return app.OpenMenu() == nullptr; }, 2000, "closed tray menu", {&app.process()});
    app.WaitUntilIdle();
    EXPECT_EQ(app.ReadIni(), "");
}

// The host is in front after the tray menu until the user clicks a window. A
// capture then does nothing, and clears its guard: the next capture of the
// window is the only file.
struct HostInFrontRow {
    char const* name;
    void (*captureWithTheHostInFront)(LucidframeApp& app);
};

HostInFrontRow const kHostInFrontRows[] = {
    {"hot_key_after_the_menu",
     [](LucidframeApp& app) {
         app.OpenTrayMenu();
         PressKeys({VK_ESCAPE});
         WaitUntil([&] { return app.OpenMenu() == nullptr; }, 2000, "closed tray menu", {&app.process()});
         EXPECT_EQ(GetForegroundWindow(), app.host());
         PressChord({VK_CONTROL, VK_SNAPSHOT});
     }},
    {"delayed_capture_with_no_click",
     [](LucidframeApp& app) {
         app.Choose(TrayCommand::DelayedCapture);
         app.WaitUntilIdle();
     }},
};

void PrintTo(HostInFrontRow const& row, std::ostream* out)
{
    *out << row.name;
}

class HostInFront : public EndToEnd, public testing::WithParamInterface<HostInFrontRow> {};

TEST_P(HostInFront, IsNeverCaptured)
{
    app.Start();
    SampleWindowProcess sample(Sample(L"Window behind"));
    GetParam().captureWithTheHostInFront(app);
    CheckHotKeyCapture(sample, ExpectationFor(sample.options()));
    EXPECT_EQ(CapturesIn(app.folder()), std::vector<std::wstring>{L"Window behind.png"});
}

INSTANTIATE_TEST_SUITE_P(Rows, HostInFront, testing::ValuesIn(kHostInFrontRows),
                         [](testing::TestParamInfo<HostInFrontRow> const& info) { return info.param.name; });

// Taking the activation from the window would close its menus and tooltips
// and repaint its caption between the two copies.
TEST_F(EndToEnd, CaptureTakesNoActivationFromTheWindow)
{
    app.Start();
    SampleWindowProcess sample(Sample(L"Active window"));
    sample.BringToFront();
    LRESULT const before = sample.Deactivations();
    CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Active window"), app,
                 [] { PressChord({VK_CONTROL, VK_SNAPSHOT}); });
    EXPECT_EQ(sample.Deactivations(), before);
}

// A window that cannot be raised, as an unelevated program cannot raise an
// elevated one, stays under the window over it: both copies would show that
// window as the target's own pixels. It gives no file; the next capture, of
// the window that was over it, works.
TEST_F(EndToEnd, WindowThatCannotBeRaisedGivesNoFile)
{
    app.Start();
    SampleOptions stubbornOptions = Sample(L"Stubborn window");
    stubbornOptions.refuseZOrder = true;
    SampleWindowProcess stubborn(stubbornOptions);
    SampleOptions overOptions = Sample(L"Window over it");
    overOptions.x += stubbornOptions.width - 60;
    SampleWindowProcess over(overOptions);
    PressHotKey(stubborn);
    // The hot key reaches the program some time after the keys are pressed.
    Sleep(kAMomentMs);
    app.WaitUntilIdle();

    CheckHotKeyCapture(over, ExpectationFor(over.options()));
    EXPECT_EQ(CapturesIn(app.folder()), std::vector<std::wstring>{L"Window over it.png"});
}

// --- Two monitors -----------------------------------------------------------
// On the test display with LUCIDFRAME_MONITORS=2: a 1024x768 primary with a
// 1280x1024 monitor on its right, which leaves a 1024x256 gap under the
// primary. Wine draws windows in the gap all the same; only the monitor
// rectangles tell the program that nothing shows there.

struct MonitorRow {
    char const* name;
    std::int32_t x, y;        // the sample window's place, 320 x 200
    std::int32_t captureHeight; // the rows of the capture rectangle on a monitor; 0 for all
};

MonitorRow const kMonitorRows[] = {
    {"wholly_on_the_secondary", 1400, 300, 0},
    {"across_both_monitors", 1024 - 160, 200, 0},
    // Rows 768 and below lie in the gap: the capture keeps the 183 rows above
    // it, cropped to the window's 168.
    {"into_the_gap_under_the_primary", 300, 600, 768 - 585},
};

void PrintTo(MonitorRow const& row, std::ostream* out)
{
    *out << row.name;
}

class TwoMonitors : public EndToEnd, public testing::WithParamInterface<MonitorRow> {
protected:
    void SetUp() override
    {
        if (GetSystemMetrics(SM_CMONITORS) < 2)
            GTEST_SKIP() << "needs two monitors: LUCIDFRAME_MONITORS=2 tests/support/test-display";
    }
};

TEST_P(TwoMonitors, CapturesTheWindowWhereverItLies)
{
    MonitorRow const row = GetParam();
    app.Start();
    SampleOptions options = Sample(L"On a monitor");
    options.x = row.x;
    options.y = row.y;
    SampleWindowProcess sample(options);
    CaptureExpectation expectation = ExpectationFor(sample.options());
    expectation.captureHeight = row.captureHeight;
    CheckHotKeyCapture(sample, expectation);
}

INSTANTIATE_TEST_SUITE_P(Rows, TwoMonitors, testing::ValuesIn(kMonitorRows),
                         [](testing::TestParamInfo<MonitorRow> const& info) { return info.param.name; });

// --- Shadows ----------------------------------------------------------------
// On the test display with a compositor that draws shadows, run with each of
// LUCIDFRAME_XCOMPMGR="-c" (xcompmgr's own, which reaches past 15 pixels on
// two sides) and "-c -r 40 -l -40 -t -30 -o 0.6" (past them on every side).

// The largest alpha in each outermost row and column of a capture, and the
// opaque window inside it.
struct ShadowEdges {
    std::uint32_t largestEdgeAlpha = 0;
    std::string windowMismatch;
};

ShadowEdges MeasureEdges(std::filesystem::path const& file, SampleOptions const& sample)
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ReadPng(file, pixels, width, height) || width < 2 || height < 2)
        Fail(Utf8(file.filename().wstring()) + " is no capture");
    auto const at = [&](std::int32_t x, std::int32_t y) { return pixels[static_cast<std::size_t>(y) * width + x]; };
    ShadowEdges edges;
    std::int32_t left = width, top = height, right = -1, bottom = -1;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t const alpha = at(x, y) >> 24;
            if (x == 0 || y == 0 || x == width - 1 || y == height - 1)
                edges.largestEdgeAlpha = std::max(edges.largestEdgeAlpha, alpha);
            if (alpha == 255) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    // The window is opaque; no shadow is.
    std::vector<std::uint32_t> window;
    for (std::int32_t y = top; y <= bottom; ++y)
        for (std::int32_t x = left; x <= right; ++x)
            window.push_back(at(x, y));
    MatchesSample(sample.mode, window.data(), right - left + 1, bottom - top + 1, edges.windowMismatch);
    return edges;
}

// The shadow is whole: with auto-crop off, the saved image shows the margin
// that the capture used, and no edge of it cuts the shadow, the first time
// (when the margin grows) and the next (when it starts from the one that
// sufficed); the window inside is exact.
TEST_F(EndToEnd, ShadowsAreCapturedWhole)
{
    app.Start();
    app.Choose(TrayCommand::AutoCrop);
    SampleWindowProcess sample(Sample(L"Shadowed", SampleMode::Opaque));
    for (int capture = 1; capture <= 2; ++capture) {
        std::filesystem::path const file = app.AutomaticFile(L"Shadowed");
        std::filesystem::remove(file);
        PressHotKey(sample);
        WaitForFile(file, app.process());
        ShadowEdges const edges = MeasureEdges(file, sample.options());
        EXPECT_LE(edges.largestEdgeAlpha, 1u) << "capture " << capture;
        EXPECT_EQ(edges.windowMismatch, "") << "capture " << capture;
    }
}

// A window that no longer handles its messages ("Not Responding") cannot be
// raised without waiting for it: the capture leaves it alone within moments
// and writes no file, and the tray menu answers at once.
TEST_F(EndToEnd, WindowThatDoesNotAnswerFreezesNothing)
{
    app.Start();
    SampleWindowProcess sample(Sample(L"Silent window"));
    sample.BringToFront();
    sample.StopAnswering(8000);
    ULONGLONG const start = GetTickCount64();
    PressChord({VK_CONTROL, VK_SNAPSHOT});
    // Posted after the hot key, so handled once the capture is over.
    app.OpenTrayMenu();
    EXPECT_LT(GetTickCount64() - start, 2000u);
    PressKeys({VK_ESCAPE});
    WaitUntil([&] { return app.OpenMenu() == nullptr; }, 2000, "closed tray menu", {&app.process()});
    EXPECT_EQ(CapturesIn(app.folder()), std::vector<std::wstring>{});
}

// --- Open menus -------------------------------------------------------------

// Where a capture of the sample window with its context menu open differs
// from the window exact (but opaque only where the menu's shadow may fall on
// it), the menu opaque where it stands and nothing but a shadow (alpha 1 at
// most at the image's edges) elsewhere; empty when it does not. `window` and `menu` are screen rectangles.
std::string MenuCaptureDifference(std::filesystem::path const& file, SampleOptions const& sample, RECT window, RECT menu)
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    if (!ReadPng(file, pixels, width, height) || width <= 0 || height <= 0)
        return "no PNG";
    // The window's own pixels are opaque in the opaque sample: the crop's
    // box is found from them and the menu's, whatever shadow lies around.
    std::int32_t left = width, top = height;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            if (pixels[static_cast<std::size_t>(y) * width + x] >> 24 == 255) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
    if (left == width)
        return "nothing in it is opaque: the window is missing";
    // The window's top-left corner is the first opaque pixel; the image holds
    // the window and the menu whole.
    std::int32_t const originX = window.left - left, originY = window.top - top;
    // The menu's shadow, where a compositor draws one, darkens the window
    // around the menu: there the window is only opaque.
    RECT menuShadow = menu;
    InflateRect(&menuShadow, 64, 64);
    if (originX + width < std::max(window.right, menu.right) || originY + height < std::max(window.bottom, menu.bottom))
        return "the image is " + std::to_string(width) + "x" + std::to_string(height) + ", too small for the menu";
    std::uint32_t edgeAlpha = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t const pixel = pixels[static_cast<std::size_t>(y) * width + x];
            POINT const at = {x + originX, y + originY};
            char where[96];
            std::snprintf(where, sizeof where, "pixel (%d, %d) of %dx%d, 0x%08X", static_cast<int>(x),
                          static_cast<int>(y), static_cast<int>(width), static_cast<int>(height), pixel);
            if (PtInRect(&menu, at)) {
                if (pixel >> 24 != 255)
                    return std::string("the menu is not opaque at ") + where;
            } else if (PtInRect(&window, at) && PtInRect(&menuShadow, at)) {
                if (pixel >> 24 != 255)
                    return std::string("the window is not opaque under the menu's shadow at ") + where;
            } else if (PtInRect(&window, at)) {
                std::uint32_t const known =
                    SamplePixel(sample.mode, at.x - window.left, at.y - window.top, sample.width, sample.height);
                if (!SamplePixelMatches(pixel, known))
                    return std::string("the window differs at ") + where;
            } else if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
                edgeAlpha = std::max(edgeAlpha, pixel >> 24);
            }
        }
    }
    return edgeAlpha <= 1 ? "" : "a shadow is cut at the image's edge, alpha " + std::to_string(edgeAlpha);
}

struct MenuRow {
    char const* name;
    Trigger trigger;
};

MenuRow const kMenuRows[] = {
    {"hot_key_while_the_menu_is_open", Trigger::HotKey},
    {"menu_opened_during_the_delayed_capture", Trigger::DelayedCaptureFromMenu},
};

void PrintTo(MenuRow const& row, std::ostream* out)
{
    *out << row.name;
}

// Captures the sample window with its context menu open, which reaches far
// past the window's right and bottom edges: the capture holds the window
// exact and the menu whole and opaque with its shadow, and the menu is still
// open afterwards.
void CheckCaptureWithMenuOpen(LucidframeApp& app, Trigger trigger)
{
    SampleWindowProcess sample(Sample(L"Menu sample", SampleMode::Opaque));
    RECT window = {};
    GetWindowRect(sample.window(), &window);
    // Farther past the window than the widest margin for a shadow (128 pixels
    // at 100 % scaling) takes in.
    POINT const menuCorner = {window.right - 20, window.bottom - 20};
    HWND menu = nullptr;
    auto const openMenu = [&] {
        sample.BringToFront();
        menu = sample.OpenContextMenu(menuCorner);
    };
    std::filesystem::path const file = app.AutomaticFile(L"Menu sample");
    if (trigger == Trigger::HotKey) {
        openMenu();
        TakeCapture(app, [] { PressChord({VK_CONTROL, VK_SNAPSHOT}); }, [&] { return std::filesystem::exists(file); },
                    "Menu sample.png");
    } else {
        app.Choose(TrayCommand::DelayedCapture);
        openMenu();
        WaitForFile(file, app.process());
    }
    app.WaitUntilIdle();
    RECT menuRect = {};
    GetWindowRect(menu, &menuRect);
    EXPECT_GT(menuRect.right - window.right, 128) << "the menu reaches past the widest margin";
    EXPECT_EQ(MenuCaptureDifference(file, sample.options(), window, menuRect), "");
    EXPECT_EQ(sample.OpenMenu(), menu) << "the capture closed the menu";
    PressKeys({VK_ESCAPE});
}

class OpenMenu : public EndToEnd, public testing::WithParamInterface<MenuRow> {};

TEST_P(OpenMenu, IsCapturedWithTheWindowAndStaysOpen)
{
    app.Start();
    CheckCaptureWithMenuOpen(app, GetParam().trigger);
}

// On displays whose compositor draws shadows: the menu's shadow is whole.
// With auto-crop off the image's edges are the capture rectangle's, where a
// shadow must have faded out.
TEST_F(EndToEnd, ShadowsOfAnOpenMenuAreCapturedWhole)
{
    app.Start();
    app.Choose(TrayCommand::AutoCrop);
    CheckCaptureWithMenuOpen(app, Trigger::HotKey);
}

INSTANTIATE_TEST_SUITE_P(Rows, OpenMenu, testing::ValuesIn(kMenuRows),
                         [](testing::TestParamInfo<MenuRow> const& info) { return info.param.name; });

// --- Options --------------------------------------------------------------

enum class Effect {
    Uncropped,
    // Under wine a capture never draws the pointer of another program
    // (GetIconInfo answers only for the calling program's cursors), so this
    // effect can fail only on Windows.
    PointerLeftOut,
    Checkerboard,
    SaveDialogOpens,
    ClipboardLeftAlone,
    TwoTimestampedFiles,
};

struct OptionRow {
    char const* name;
    TrayCommand change;     // from the default
    TrayCommand changeBack;
    char const* key;
    int defaultValue;
    Effect effect;          // on the next capture
};

OptionRow const kOptionRows[] = {
    {"auto_crop", TrayCommand::AutoCrop, TrayCommand::AutoCrop, "自动裁剪", 1, Effect::Uncropped},
    {"include_cursor", TrayCommand::IncludeCursor, TrayCommand::IncludeCursor, "包含指针", 1, Effect::PointerLeftOut},
    {"checkerboard", TrayCommand::Checkerboard, TrayCommand::Checkerboard, "方格透明", 0, Effect::Checkerboard},
    {"save_method", TrayCommand::SaveManually, TrayCommand::SaveAutomatically, "保存方式", 0, Effect::SaveDialogOpens},
    {"copy_to_clipboard", TrayCommand::CopyToClipboard, TrayCommand::CopyToClipboard, "复制到剪贴板", 1,
     Effect::ClipboardLeftAlone},
    {"timestamp_names", TrayCommand::TimestampNames, TrayCommand::TimestampNames, "文件名加时间", 0,
     Effect::TwoTimestampedFiles},
};

void PrintTo(OptionRow const& row, std::ostream* out)
{
    *out << row.name;
}

class Option : public EndToEnd, public testing::WithParamInterface<OptionRow> {
protected:
    void ShowEffect(Effect effect, SampleWindowProcess& sample)
    {
        CaptureExpectation expectation = ExpectationFor(sample.options());
        switch (effect) {
        case Effect::Uncropped:
            expectation.autoCrop = false;
            CheckHotKeyCapture(sample, expectation);
            break;
        case Effect::PointerLeftOut:
            CheckCapture(expectation, app.AutomaticFile(sample.options().title), app, [&] {
                sample.BringToFront();
                sample.PointAtWindow();
                PressChord({VK_CONTROL, VK_SNAPSHOT});
            });
            ParkPointer();
            break;
        case Effect::Checkerboard:
            expectation.checkerboard = true;
            CheckHotKeyCapture(sample, expectation);
            break;
        case Effect::SaveDialogOpens: {
            PressHotKey(sample);
            HWND dialog = WaitForSaveDialog(app.process());
            CancelDialog(dialog);
            WaitForDialogClosed(dialog, app.process());
            break;
        }
        case Effect::ClipboardLeftAlone:
            PutTextOnClipboard(L"the user's own text");
            CheckHotKeyCapture(sample, expectation);
            EXPECT_EQ(ClipboardText(), L"the user's own text");
            break;
        case Effect::TwoTimestampedFiles: {
            // One right after the other, often in one second: the second
            // never replaces the first.
            std::wregex const name(L"Option sample \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.\\d\\d( \\(2\\))?\\.png");
            std::vector<std::wstring> names;
            for (int capture = 0; capture < 2; ++capture)
                names.push_back(CheckNewCapture(expectation, app, [&] { PressHotKey(sample); }).filename().wstring());
            std::sort(names.begin(), names.end());
            EXPECT_EQ(CapturesIn(app.folder()), names);
            for (std::wstring const& file : names)
                EXPECT_TRUE(std::regex_match(file, name)) << Utf8(file);
            break;
        }
        }
    }
};

// Choosing the item writes its key at once, changes the next capture, and
// holds over a restart: the restarted program changes the value back.
TEST_P(Option, IsWrittenAtOnceTakesEffectAndHoldsOverARestart)
{
    OptionRow const row = GetParam();
    app.Start();
    SampleWindowProcess sample(Sample(L"Option sample"));
    app.Choose(row.change);
    EXPECT_EQ(app.ReadIni(), IniHolding(row.key, 1 - row.defaultValue));
    ShowEffect(row.effect, sample);

    app.Stop();
    app.Start();
    app.Choose(row.changeBack);
    EXPECT_EQ(app.ReadIni(), IniHolding(row.key, row.defaultValue));
}

INSTANTIATE_TEST_SUITE_P(Rows, Option, testing::ValuesIn(kOptionRows),
                         [](testing::TestParamInfo<OptionRow> const& info) { return info.param.name; });

// The save methods form a radio pair: choosing the checked one changes
// nothing, and only a real change is written.
TEST_F(EndToEnd, SaveMethodsAreARadioPair)
{
    struct Step {
        TrayCommand choice;
        int savedAfter; // -1: no settings file yet
    } const steps[] = {
        {TrayCommand::SaveAutomatically, -1},
        {TrayCommand::SaveManually, 1},
        {TrayCommand::SaveManually, 1},
        {TrayCommand::SaveAutomatically, 0},
        {TrayCommand::SaveAutomatically, 0},
    };
    app.Start();
    int step = 0;
    for (Step const& s : steps) {
        app.Choose(s.choice);
        EXPECT_EQ(app.ReadIni(), IniHolding("保存方式", s.savedAfter)) << "after step " << ++step;
    }
}

// --- The Save dialog ------------------------------------------------------

// How the user may leave the Save dialog without saving.
struct DialogEnding {
    char const* name;
    void (*end)(HWND dialog);
};
DialogEnding const kDialogEndings[] = {
    {"Cancel", CancelDialog},
    {"the close box", CloseDialog},
};

// With manual saving the hot key opens the Save dialog, a window of its own
// in front of the target: Cancel, or closing it, writes nothing but leaves
// the capture on the clipboard, and the next hot key works; a name typed
// without extension is saved with ".png" where the user chose, and nothing is
// saved automatically.
TEST_F(EndToEnd, ManualSaveWritesWhereTheUserChose)
{
    std::filesystem::path const chosen = app.folder() / L"chosen";
    std::filesystem::create_directory(chosen);
    app.Start();
    app.Choose(TrayCommand::SaveManually);
    SampleWindowProcess sample(Sample(L"Manual sample"));

    for (DialogEnding const& ending : kDialogEndings) {
        PutTextOnClipboard(L"before the capture");
        PressHotKey(sample);
        HWND dialog = WaitForSaveDialog(app.process());
        WaitUntil([&] { return GetForegroundWindow() == dialog; }, 2000, "the Save dialog in front", {&app.process()});
        ending.end(dialog);
        WaitForDialogClosed(dialog, app.process());
        app.WaitUntilIdle();
        EXPECT_TRUE(std::filesystem::is_empty(chosen)) << ending.name;
        ClipboardCapture const cancelled = ReadClipboardCapture();
        EXPECT_EQ(cancelled.fault, "") << "a save left through " << ending.name
                                       << " still leaves the capture on the clipboard";
        EXPECT_EQ(cancelled.width, sample.options().width) << ending.name;
        EXPECT_FALSE(std::filesystem::exists(app.AutomaticFile(L"Manual sample"))) << ending.name;
    }

    CheckCapture(ExpectationFor(sample.options()), chosen / L"picked.png", app, [&] {
        PressHotKey(sample);
        HWND saveDialog = WaitForSaveDialog(app.process());
        SaveAs(saveDialog, (chosen / L"picked").wstring());
        WaitForDialogClosed(saveDialog, app.process());
    });
    EXPECT_FALSE(std::filesystem::exists(app.AutomaticFile(L"Manual sample")));
}

// --- The tray icon and the program's lifetime ------------------------------

// Only a right-button press opens the menu; Escape closes it, and with it a
// submenu, doing nothing.
TEST_F(EndToEnd, OnlyARightButtonPressOpensTheMenu)
{
    app.Start();
    std::vector<HWND> const before = VisibleWindowsOf(app.process().id());
    UINT const otherMessages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP};
    for (UINT message : otherMessages)
        EXPECT_TRUE(app.SendTrayMessage(message)) << "tray message " << message << " kept the program busy";
    EXPECT_EQ(VisibleWindowsOf(app.process().id()), before);

    app.OpenTrayMenu();
    PressKeys({VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE});
    WaitUntil([&] { return app.OpenMenu() == nullptr; }, 2000, "closed tray menu", {&app.process()});
    EXPECT_EQ(app.ReadIni(), "");
}

// A second start ends at once with exit code 0 and leaves the first running.
// So does a start while an instance started as administrator runs, whose
// mutex refuses a start at the normal integrity level.
struct SecondStartRow {
    char const* name;
    void (*whileRunning)(LucidframeApp& app, std::function<void()> const& start);
};

SecondStartRow const kSecondStartRows[] = {
    {"while_the_first_runs",
     [](LucidframeApp& app, std::function<void()> const& start) {
         app.Start();
         start();
         EXPECT_TRUE(app.Running());
         EXPECT_TRUE(IsWindow(app.host()));
         EXPECT_TRUE(app.TrayIconShown());
     }},
    {"while_an_elevated_instance_runs",
     [](LucidframeApp&, std::function<void()> const& start) {
         MutexRefusingEveryone const elevated(L"VEMRA.MUTEX.VITRUM");
         start();
     }},
};

void PrintTo(SecondStartRow const& row, std::ostream* out)
{
    *out << row.name;
}

class SecondStart : public EndToEnd, public testing::WithParamInterface<SecondStartRow> {};

TEST_P(SecondStart, EndsAtOnce)
{
    GetParam().whileRunning(app, [&] {
        ULONGLONG const start = GetTickCount64();
        EXPECT_EQ(ProgramProcess::RunToExit(app.program(), L""), 0u);
        EXPECT_LT(GetTickCount64() - start, 5000u);
    });
}

INSTANTIATE_TEST_SUITE_P(Rows, SecondStart, testing::ValuesIn(kSecondStartRows),
                         [](testing::TestParamInfo<SecondStartRow> const& info) { return info.param.name; });

// The exit command removes the icon and ends the program with exit code 0.
// Wine drops the icons of a destroyed window by itself, so there the icon
// check cannot tell whether the program removed it.
TEST_F(EndToEnd, ExitCommandRemovesTheIcon)
{
    app.Start();
    EXPECT_TRUE(app.TrayIconShown());
    EXPECT_EQ(app.ExitFromMenu(), 0u);
    EXPECT_FALSE(app.TrayIconShown());
}

// A restarted shell has forgotten every icon and announces itself with
// "TaskbarCreated": the program adds its icon again.
TEST_F(EndToEnd, RestartedShellGetsTheIconBack)
{
    app.Start();
    app.ShellForgetsIcon();
    EXPECT_FALSE(app.TrayIconShown());
    app.ShellAnnouncesRestart();
    WaitUntil([&] { return app.TrayIconShown(); }, 3000, "tray icon", {&app.process()});
}

// Started from the Startup folder, the program may ask for its icon before
// the notification area is ready, and the shell need not announce itself
// afterwards: the program keeps asking, once a second.
TEST_F(EndToEnd, TrayIconAppearsOnceTheShellIsReady)
{
    {
        ShellNotReady const loggingOn;
        app.Start();
        Sleep(1500);
        EXPECT_FALSE(app.TrayIconShown());
    }
    WaitUntil([&] { return app.TrayIconShown(); }, 3000, "tray icon", {&app.process()});
}

// --- The user's own hot key ----------------------------------------------

// The key the rows choose in place of Ctrl+PrtSc.
WORD const kNewHotKey = MAKEWORD(VK_F9, HOTKEYF_CONTROL | HOTKEYF_SHIFT);

void PressNewHotKey(SampleWindowProcess& sample)
{
    sample.BringToFront();
    PressChord({VK_CONTROL, VK_SHIFT, VK_F9});
}

// Ctrl+Shift+F9 chosen in the hot-key dialog, which closes.
void ChooseNewHotKeyInTheDialog(LucidframeApp& app)
{
    app.Choose(TrayCommand::SetHotKey);
    HWND const dialog = WaitForHotKeyDialog(app.host(), app.process());
    ChooseHotKey(dialog, kNewHotKey);
    WaitForDialogClosed(dialog, app.process());
    app.WaitUntilIdle();
}

// A hot key that no longer captures: for a second after it, the backdrop
// never shows and no file comes.
void ExpectNoCapture(LucidframeApp const& app, std::function<void()> const& press)
{
    press();
    bool backdrop = false;
    for (ULONGLONG const until = GetTickCount64() + 1000; GetTickCount64() < until && !backdrop; Sleep(1))
        backdrop = ShowsAsBackdrop(app.host());
    EXPECT_FALSE(backdrop) << "the key still captures";
    app.WaitUntilIdle();
    EXPECT_EQ(CapturesIn(app.folder()), std::vector<std::wstring>{});
}

struct HotKeyRow {
    char const* name;
    char const* settings; // the settings file before the start; empty for none
    bool newKeyHeld;      // another program holds Ctrl+Shift+F9
    bool printScreenOpensScreenCapture;
    // Starts the program and works it; `notes` is the build that notes
    // balloons, `held` the other program's hold on Ctrl+Shift+F9.
    void (*run)(LucidframeApp& notes, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>& held);
};

HotKeyRow const kHotKeyRows[] = {
    {"from_the_settings_file", "[程序设置]\n热键=Ctrl+Shift+F9\n", false, false,
     [](LucidframeApp& app, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>&) {
         app.Start();
         ExpectNoCapture(app, [&] { PressHotKey(sample); });
         CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                      [&] { PressNewHotKey(sample); });
         EXPECT_EQ(app.Balloons().size(), 1u) << "the capture's balloon, and none at start-up";
     }},
    {"unparsable_value_gives_ctrl_print_screen", "[程序设置]\n界面语言=1\n热键=Ctrl+Banana\n", false, false,
     [](LucidframeApp& app, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>&) {
         app.Start();
         EXPECT_EQ(app.Balloons(), std::vector<std::wstring>{L"热键设置“Ctrl+Banana”无法识别，已改用 Ctrl+PrtSc"});
         CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                      [&] { PressHotKey(sample); });
     }},
    {"held_by_another_program", "[程序设置]\n界面语言=1\n热键=Ctrl+Shift+F9\n", true, false,
     [](LucidframeApp& app, SampleWindowProcess&, std::optional<HotKeyHeldElsewhere>&) {
         app.Start();
         EXPECT_EQ(ReadAndCloseMessageBox(app.host(), L"提示", app.process()),
                   L"注册热键 Ctrl+Shift+F9 失败，程序无法正常工作！");
         app.WaitUntilIdle();
         EXPECT_EQ(app.Balloons(),
                   std::vector<std::wstring>{L"热键 Ctrl+Shift+F9 已被其他程序占用：请在“其它设置 → 设置热键…”中另选一个"});
     }},
    // Wine gives PrtSc to the program all the same.
    {"print_screen_given_to_windows", "[程序设置]\n界面语言=1\n", false, true,
     [](LucidframeApp& app, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>&) {
         app.Start();
         EXPECT_EQ(app.Balloons(), std::vector<std::wstring>{
                                       L"Windows 可能把 PrtSc 键交给屏幕截图：可在 Windows 设置的“辅助功能 → 键盘”中关闭用 Print "
                                       L"Screen 键打开屏幕截图，或在“其它设置 → 设置热键…”中另选热键"});
         if (RunningUnderWine())
             CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                          [&] { PressHotKey(sample); });
     }},
    // Start-up could not register the key; once the other program lets go,
    // choosing the same key again registers it.
    {"held_at_start_up_then_chosen_again", "[程序设置]\n界面语言=1\n热键=Ctrl+Shift+F9\n", true, false,
     [](LucidframeApp& app, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>& held) {
         app.Start();
         ReadAndCloseMessageBox(app.host(), L"提示", app.process());
         app.WaitUntilIdle();
         held.reset();
         ChooseNewHotKeyInTheDialog(app);
         EXPECT_EQ(app.ReadIni(), "[程序设置]\n界面语言=1\n热键=Ctrl+Shift+F9\n");
         CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                      [&] { PressNewHotKey(sample); });
     }},
    // The key is registered before it is stored, holds over a restart, and
    // Ctrl+PrtSc is free again.
    {"chosen_in_the_dialog", "", false, false,
     [](LucidframeApp& app, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>&) {
         app.Start();
         ChooseNewHotKeyInTheDialog(app);
         EXPECT_EQ(app.ReadIni(), "[程序设置]\n热键=Ctrl+Shift+F9\n");
         ExpectNoCapture(app, [&] { PressHotKey(sample); });
         {
             HotKeyHeldElsewhere const freed; // another program may have Ctrl+PrtSc now
         }
         CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                      [&] { PressNewHotKey(sample); });
         app.Stop();
         app.Start();
         CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                      [&] { PressNewHotKey(sample); });
     }},
    // The dialog says so and stays open; the key of before still captures.
    {"dialog_keeps_the_key_when_another_program_holds_the_new_one", "", true, false,
     [](LucidframeApp& app, SampleWindowProcess& sample, std::optional<HotKeyHeldElsewhere>&) {
         app.Start();
         app.Choose(TrayCommand::SetHotKey);
         HWND const dialog = WaitForHotKeyDialog(app.host(), app.process());
         ChooseHotKey(dialog, kNewHotKey);
         EXPECT_NE(WaitForHotKeyDialogStatus(dialog, app.process()).find(L"Ctrl+Shift+F9"), std::wstring::npos);
         EXPECT_TRUE(IsWindowVisible(dialog));
         CancelDialog(dialog);
         WaitForDialogClosed(dialog, app.process());
         app.WaitUntilIdle();
         EXPECT_EQ(app.ReadIni(), "");
         CheckCapture(ExpectationFor(sample.options()), app.AutomaticFile(L"Hot key sample"), app,
                      [&] { PressHotKey(sample); });
     }},
};

void PrintTo(HotKeyRow const& row, std::ostream* out)
{
    *out << row.name;
}

class HotKey : public testing::TestWithParam<HotKeyRow> {};

TEST_P(HotKey, IsTheUsersOwn)
{
    HotKeyRow const& row = GetParam();
    if (!NotingBuildIsThere())
        GTEST_SKIP() << kNeedsNotingBuild;
    std::optional<HotKeyHeldElsewhere> held;
    if (row.newKeyHeld)
        held.emplace(MOD_CONTROL | MOD_SHIFT, VK_F9);
    std::optional<PrintScreenOpensScreenCapture> printScreen;
    if (row.printScreenOpensScreenCapture)
        printScreen.emplace();
    LucidframeApp app(L"lucidframe-notes-balloons.exe");
    if (*row.settings != '\0')
        app.WriteIni(row.settings);
    SampleWindowProcess sample(Sample(L"Hot key sample"));
    row.run(app, sample, held);
    if (!HasFailure())
        app.Stop();
}

INSTANTIATE_TEST_SUITE_P(Rows, HotKey, testing::ValuesIn(kHotKeyRows),
                         [](testing::TestParamInfo<HotKeyRow> const& info) { return info.param.name; });

// --- The user's own save folder --------------------------------------------

// Where a variable of the test's own points, which the program inherits.
wchar_t const kShotsVariable[] = L"LUCIDFRAME_E2E_SHOTS";

struct SaveFolderRow {
    char const* name;
    char const* settings;
    // Sets the scene and returns where the capture of "Folder sample" lands.
    std::filesystem::path (*prepare)(LucidframeApp& app);
};

SaveFolderRow const kSaveFolderRows[] = {
    {"relative_folder_made_on_the_way", "[程序设置]\n保存位置=Shots\\May\n",
     [](LucidframeApp& app) {
         app.Start();
         return app.folder() / L"Shots" / L"May" / L"Folder sample.png";
     }},
    {"variable_expanded", "[程序设置]\n保存位置=%LUCIDFRAME_E2E_SHOTS%\\made\n",
     [](LucidframeApp& app) {
         SetEnvironmentVariableW(kShotsVariable, (app.folder() / L"from the variable").c_str());
         app.Start();
         return app.folder() / L"from the variable" / L"made" / L"Folder sample.png";
     }},
    // Chosen in the system's folder picker, then gone again before the
    // capture, which makes it anew.
    {"chosen_in_the_picker", "",
     [](LucidframeApp& app) {
         std::filesystem::path const picked = app.folder() / L"picked";
         std::filesystem::create_directory(picked);
         app.Start();
         app.Choose(TrayCommand::ChooseSaveFolder);
         HWND const picker = WaitForFolderPicker(app.host(), app.process());
         SaveAs(picker, picked.wstring());
         WaitForDialogClosed(picker, app.process());
         app.WaitUntilIdle();
         EXPECT_EQ(app.ReadIni(), "[程序设置]\n保存位置=" + Utf8(picked.wstring()) + "\n");
         std::filesystem::remove(picked);
         return picked / L"Folder sample.png";
     }},
};

void PrintTo(SaveFolderRow const& row, std::ostream* out)
{
    *out << row.name;
}

class SaveFolder : public EndToEnd, public testing::WithParamInterface<SaveFolderRow> {
protected:
    void TearDown() override
    {
        EndToEnd::TearDown();
        SetEnvironmentVariableW(kShotsVariable, nullptr);
    }
};

TEST_P(SaveFolder, TakesTheCaptureMadeOnTheWay)
{
    if (*GetParam().settings != '\0')
        app.WriteIni(GetParam().settings);
    std::filesystem::path const file = GetParam().prepare(app);
    SampleWindowProcess sample(Sample(L"Folder sample"));
    CheckCapture(ExpectationFor(sample.options()), file, app, [&] { PressHotKey(sample); });
    EXPECT_EQ(CapturesIn(app.folder()), std::vector<std::wstring>{}) << "nothing in the program folder";
}

INSTANTIATE_TEST_SUITE_P(Rows, SaveFolder, testing::ValuesIn(kSaveFolderRows),
                         [](testing::TestParamInfo<SaveFolderRow> const& info) { return info.param.name; });

// "Open the save folder" makes a folder that the settings name and opens it.
TEST_F(EndToEnd, SaveFolderOpensInExplorer)
{
    if (!NotingBuildIsThere())
        GTEST_SKIP() << kNeedsNotingBuild;
    LucidframeApp noting(L"lucidframe-notes-balloons.exe");
    noting.WriteIni("[程序设置]\n保存位置=Shots/new\n");
    noting.Start();
    noting.Choose(TrayCommand::OpenSaveFolder);
    std::filesystem::path const folder = noting.folder() / L"Shots" / L"new";
    EXPECT_EQ(noting.FoldersOpened(), std::vector<std::wstring>{folder.wstring()});
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    noting.Stop();
}

// --- The user's language ------------------------------------------------------
// Run on the test display as it is (English under wine) and with
// LUCIDFRAME_LOCALE=zh_CN.UTF-8 (label ui-language).

enum class Speaks { LikeWindows, Chinese, English };

struct LanguageRow {
    char const* name;
    char const* settings;
    Speaks speaks;
};

LanguageRow const kLanguageRows[] = {
    {"follows_windows", "", Speaks::LikeWindows},
    {"chinese_chosen", "[程序设置]\n界面语言=1\n", Speaks::Chinese},
    {"english_chosen", "[程序设置]\n界面语言=2\n", Speaks::English},
    {"unknown_choice_follows_windows", "[程序设置]\n界面语言=9\n", Speaks::LikeWindows},
};

void PrintTo(LanguageRow const& row, std::ostream* out)
{
    *out << row.name;
}

// What the program shows in one language: the tray menu as noted, and the
// about box.
struct Words {
    std::vector<std::wstring> menu;
    wchar_t const* aboutTitle;
    wchar_t const* aboutText;
};

Words const kChineseWords = {
    {L"开始截图\t\n延迟3秒", L"-", L"保存方式", L"  自动保存", L"  手动保存", L"  -", L"  保存位置…", L"  打开保存文件夹",
     L"其它设置", L"  自动裁剪", L"  包含指针", L"  方格透明", L"  复制到剪贴板", L"  文件名加时间", L"  -", L"  设置热键…", L"-",
     L"关于我们", L"退出程序"},
    L"关于我们",
    L"Lucidframe\n按 Ctrl+PrtSc 截取前台窗口，连同透明效果保存为 PNG 图片。",
};
Words const kEnglishWords = {
    {L"Capture in 3 seconds", L"-", L"Save method", L"  Save automatically", L"  Save manually", L"  -",
     L"  Save folder…", L"  Open the save folder", L"Other settings", L"  Auto-crop", L"  Include pointer",
     L"  Checkerboard transparency", L"  Copy to clipboard", L"  Add date and time to names", L"  -", L"  Set hot key…",
     L"-", L"About", L"Exit"},
    L"About Lucidframe",
    L"Lucidframe\nPress Ctrl+PrtSc to capture the window in front, with its transparency, as a PNG image.",
};

Words const& WordsFor(Speaks speaks)
{
    bool const windowsSpeaksChinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
    bool const chinese = speaks == Speaks::Chinese || (speaks == Speaks::LikeWindows && windowsSpeaksChinese);
    return chinese ? kChineseWords : kEnglishWords;
}

class UiLanguage : public testing::TestWithParam<LanguageRow> {};

TEST_P(UiLanguage, MenuAndDialogsSpeakIt)
{
    if (!NotingBuildIsThere())
        GTEST_SKIP() << kNeedsNotingBuild;
    Words const& words = WordsFor(GetParam().speaks);
    LucidframeApp noting(L"lucidframe-notes-balloons.exe");
    if (*GetParam().settings != '\0')
        noting.WriteIni(GetParam().settings);
    noting.Start();
    noting.OpenTrayMenu();
    PressKeys({VK_ESCAPE});
    WaitUntil([&] { return noting.OpenMenu() == nullptr; }, 2000, "closed tray menu", {&noting.process()});
    EXPECT_EQ(noting.MenuTexts(), words.menu);
    noting.Choose(TrayCommand::About);
    EXPECT_EQ(ReadAndCloseMessageBox(noting.host(), words.aboutTitle, noting.process()), words.aboutText);
    noting.Stop();
}

INSTANTIATE_TEST_SUITE_P(Rows, UiLanguage, testing::ValuesIn(kLanguageRows),
                         [](testing::TestParamInfo<LanguageRow> const& info) { return info.param.name; });

} // namespace
