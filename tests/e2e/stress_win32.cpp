// lucidframe-stress: Ctrl+PrtSc on the sample window, many times, as a user
// presses it, with the processors kept busy; every capture is checked against
// the window's known pixels.
//
//   lucidframe-stress [--captures N] [--busy N] [--width W] [--height H]
//                     [--mode pattern|constant|opaque] [--lucidframe FILE] [--baseline FILE]
//
//   --captures   captures to make (default 200)
//   --busy       threads that keep a processor busy meanwhile (default 2)
//   --width, --height   the sample window's size (default 320 x 200)
//   --mode       the sample window's mode (default pattern; the compositor
//                draws shadows only under opaque windows)
//   --lucidframe the program under test, beside this one or a full path
//                (default lucidframe-counts-copies.exe, which notes the
//                copies it makes again)
//   --baseline   another build, run in turn with the first, block by block,
//                so that their latencies are measured side by side
//
// Prints, for each program, how many captures were saved, wrong (not the
// window's pixels) or missing (no file), how many copies it made again after
// a stale one and the median time of each step of a capture (both noted only
// by the counting build), and the median time from the hot key to the file,
// apart for the first capture after each of the program's starts (which may
// have to widen the margin for a shadow), and to the capture's end, when the
// program answers again (after the clipboard and the balloon). A file takes
// its name only once it is complete, so it can be read from the moment it is
// seen. With a baseline the blocks run in
// the order baseline, program, program, baseline, and so on, so that a drift
// of the machine's speed during the run favours neither. On a
// display whose compositor draws shadows every capture holds them, which the
// window's known pixels do not: count the latencies only. Exits 1 when any capture was wrong, 2 on bad
// arguments, 3 when a step of the run itself failed.

#include "png/gdiplus_win32.h"
#include "png/png_reader.h"
#include "tests/e2e/capture_expectation.h"
#include "tests/e2e/lucidframe_app_win32.h"
#include "tests/e2e/sample_window_process_win32.h"
#include "tests/e2e/top_level_windows_win32.h"
#include "tests/e2e/user_input_win32.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

DWORD const kFileTimeoutMs = 10000;
// Blocks of about this many captures, four at least: the shorter each
// program's turn, the less a change of the machine's speed favours either.
int const kCapturesPerBlock = 18;
int const kLeastBlocks = 4;
wchar_t const kCountingBuild[] = L"lucidframe-counts-copies.exe";

struct Options {
    int captures = 200;
    int busyThreads = 2;
    std::int32_t width = 320;
    std::int32_t height = 200;
    SampleMode mode = SampleMode::Pattern;
    std::wstring program = kCountingBuild;
    std::wstring baseline;
};

struct Tally {
    std::wstring program;
    int saved = 0;
    int wrong = 0;
    int missing = 0;
    int pressesLost = 0; // never reached the program, pressed again
    int madeAgainBlack = 0;
    int madeAgainWhite = 0;
    bool counted = false;
    std::vector<std::string> stepNames;               // in the order the captures passed them
    std::vector<std::vector<double>> stepDurationsMs; // from the step before, one a capture
    std::vector<double> firstLatenciesMs; // the first capture after each start
    std::vector<double> latenciesMs;      // the others
    std::vector<double> toEndLatenciesMs; // of the others, to the end of the capture: the program answers again
};

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        std::wstring const name = argv[i];
        wchar_t const* value = argv[i + 1];
        if (name == L"--lucidframe")
            options.program = value;
        else if (name == L"--baseline")
            options.baseline = value;
        else if (name == L"--captures")
            options.captures = _wtoi(value);
        else if (name == L"--busy")
            options.busyThreads = _wtoi(value);
        else if (name == L"--width")
            options.width = _wtoi(value);
        else if (name == L"--height")
            options.height = _wtoi(value);
        else if (name != L"--mode" || !ParseSampleMode(value, options.mode))
            return false;
    }
    return argc % 2 == 1 && options.captures > 0 && options.busyThreads >= 0 && options.width > 0 &&
           options.height > 0;
}

// The machine's performance counter, in milliseconds: every process reads
// the same one.
double NowMs()
{
    LARGE_INTEGER now = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double MillisecondsSince(LARGE_INTEGER start)
{
    LARGE_INTEGER now = {};
    LARGE_INTEGER frequency = {};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void CountCopiesMadeAgain(std::filesystem::path const& log, Tally& tally)
{
    std::ifstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        tally.counted = true;
        tally.madeAgainBlack += line == "black";
        tally.madeAgainWhite += line == "white";
    }
}

void AddStepDuration(Tally& tally, std::string const& name, double durationMs)
{
    auto const known = std::find(tally.stepNames.begin(), tally.stepNames.end(), name);
    std::size_t const index = static_cast<std::size_t>(known - tally.stepNames.begin());
    if (known == tally.stepNames.end()) {
        tally.stepNames.push_back(name);
        tally.stepDurationsMs.emplace_back();
    }
    tally.stepDurationsMs[index].push_back(durationMs);
}

// Each line of the counting build's steps.log is one capture: the moment the
// hot key was handled ("clock"), then "name=ms" for each step it passed, the
// time since. Each step's duration is the time since the step before it; a
// step passed again in the same capture (the second pass's backdrop) counts
// apart, numbered. The time from the last press before the clock is the
// hot key's way to the program ("delivered"), and from the file's writing to
// its being seen here, the way back ("seen").
void CollectStepTimes(std::filesystem::path const& log, std::vector<double> const& pressedAtMs,
                      std::vector<double> const& fileSeenAtMs, Tally& tally)
{
    std::ifstream lines(log);
    std::size_t seen = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream steps(line);
        double clock = 0;
        double before = 0;
        std::vector<std::string> passed;
        for (std::string step; steps >> step;) {
            std::size_t const equals = step.find('=');
            if (equals == std::string::npos)
                continue;
            std::string name = step.substr(0, equals);
            double const at = std::atof(step.c_str() + equals + 1);
            if (name == "clock") {
                clock = at;
                auto const press = std::upper_bound(pressedAtMs.begin(), pressedAtMs.end(), clock);
                if (press != pressedAtMs.begin())
                    AddStepDuration(tally, "delivered", clock - *(press - 1));
                continue;
            }
            passed.push_back(name);
            if (long const times = std::count(passed.begin(), passed.end(), passed.back()); times > 1)
                name.append(1, '#').append(std::to_string(times));
            AddStepDuration(tally, name, at - before);
            before = at;
            if (name == "file_written" && seen < fileSeenAtMs.size())
                AddStepDuration(tally, "seen", fileSeenAtMs[seen++] - (clock + at));
        }
    }
}

// One program's block of captures, from a fresh program folder.
void RunBlock(Options const& options, std::wstring const& program, int captures, Tally& tally)
{
    SetProgramUnderTest(program);
    LucidframeApp app;
    app.Start();
    SampleOptions sampleOptions;
    sampleOptions.title = L"Stress sample";
    sampleOptions.x = 40;
    sampleOptions.y = 40;
    sampleOptions.width = options.width;
    sampleOptions.height = options.height;
    sampleOptions.mode = options.mode;
    SampleWindowProcess sample(sampleOptions);
    std::filesystem::path const file = app.AutomaticFile(sampleOptions.title);
    std::vector<double> pressedAtMs;  // every press
    std::vector<double> fileSeenAtMs; // each capture's file
    for (int i = 0; i < captures; ++i) {
        std::filesystem::remove(file);
        sample.BringToFront();
        LARGE_INTEGER pressed = {};
        QueryPerformanceCounter(&pressed);
        pressedAtMs.push_back(NowMs());
        PressChord({VK_CONTROL, VK_SNAPSHOT});
        // The backdrop shows for every capture: a press after which it never
        // showed did not reach the program, which wine does now and then
        // (about one press in a hundred on a display that draws shadows, with
        // the program of before the stale-frame check too). It is pressed
        // again; a capture that showed the backdrop and left no file is
        // missing.
        bool appeared = false;
        bool backdropShown = false;
        while (!(appeared = std::filesystem::exists(file)) && MillisecondsSince(pressed) < kFileTimeoutMs) {
            backdropShown = backdropShown || ShowsAsBackdrop(app.host());
            Sleep(1);
        }
        // The file takes the destination's name only once it is complete:
        // from now on it can be read.
        double const toFileMs = MillisecondsSince(pressed);
        double const fileSeenMs = NowMs();
        app.WaitUntilIdle();
        if (!appeared && !backdropShown) {
            ++tally.pressesLost;
            std::printf("  capture %d: the hot key did not reach the program; pressing it again\n", i + 1);
            --i;
            continue;
        }
        if (!appeared) {
            ++tally.missing;
            std::printf("  capture %d: no file\n", i + 1);
            continue;
        }
        (i == 0 ? tally.firstLatenciesMs : tally.latenciesMs).push_back(toFileMs);
        if (i > 0)
            tally.toEndLatenciesMs.push_back(MillisecondsSince(pressed));
        fileSeenAtMs.push_back(fileSeenMs);
        std::vector<std::uint32_t> pixels;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::optional<std::string> difference = std::string("not a PNG");
        if (ReadPng(file, pixels, width, height))
            difference = CaptureDifference(ExpectationFor(sampleOptions), pixels.data(), width, height);
        if (difference) {
            ++tally.wrong;
            std::printf("  capture %d: wrong, %s\n", i + 1, difference->c_str());
        } else {
            ++tally.saved;
        }
    }
    CountCopiesMadeAgain(app.folder() / L"copies.log", tally);
    CollectStepTimes(app.folder() / L"steps.log", pressedAtMs, fileSeenAtMs, tally);
    // Ended by the driver, not from its tray menu: a baseline build may
    // listen for another tray message than today's.
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(Tally const& tally)
{
    std::printf("%s: %d saved, %d wrong, %d missing (%d presses lost, pressed again); ", Utf8(tally.program).c_str(),
                tally.saved, tally.wrong, tally.missing, tally.pressesLost);
    if (tally.counted || tally.program == kCountingBuild)
        std::printf("copies made again %d (black %d, white %d); ", tally.madeAgainBlack + tally.madeAgainWhite,
                    tally.madeAgainBlack, tally.madeAgainWhite);
    std::printf("hot key to file: median %.1f ms, %.1f ms for the first capture after a start; to the capture's end "
                "%.1f ms\n",
                Median(tally.latenciesMs), Median(tally.firstLatenciesMs), Median(tally.toEndLatenciesMs));
    if (!tally.stepNames.empty()) {
        std::printf("  each step, median ms since the step before:");
        for (std::size_t i = 0; i < tally.stepNames.size(); ++i)
            std::printf(" %s %.2f", tally.stepNames[i].c_str(), Median(tally.stepDurationsMs[i]));
        std::printf("\n");
    }
}

int Run(Options const& options)
{
    std::atomic<bool> stop = false;
    std::vector<std::thread> busy;
    for (int i = 0; i < options.busyThreads; ++i)
        busy.emplace_back([&stop] {
            while (!stop.load(std::memory_order_relaxed)) {
            }
        });
    std::printf("lucidframe-stress: %d captures of a %dx%d window, %d busy threads\n", options.captures,
                static_cast<int>(options.width), static_cast<int>(options.height), options.busyThreads);

    std::vector<Tally> tallies(options.baseline.empty() ? 1 : 2);
    tallies[0].program = options.program;
    if (!options.baseline.empty())
        tallies[1].program = options.baseline;
    int status = 0;
    try {
        int const blocks = std::max(kLeastBlocks, options.captures / kCapturesPerBlock);
        for (int block = 0; block < blocks; ++block) {
            int const captures = options.captures * (block + 1) / blocks - options.captures * block / blocks;
            for (std::size_t turn = 0; turn < tallies.size(); ++turn) {
                Tally& tally = tallies[block % 2 == 0 ? tallies.size() - 1 - turn : turn];
                RunBlock(options, tally.program, captures, tally);
            }
        }
    } catch (std::exception const& failure) {
        std::printf("lucidframe-stress: %s\n", failure.what());
        status = 3;
    }
    stop = true;
    for (std::thread& thread : busy)
        thread.join();
    for (Tally const& tally : tallies) {
        Report(tally);
        if (tally.wrong > 0 && status == 0)
            status = 1;
    }
    if (tallies.size() == 2 && !tallies[1].latenciesMs.empty())
        std::printf("latency ratio (median, first to baseline): %.3f to the file, %.3f to the capture's end\n",
                    Median(tallies[0].latenciesMs) / Median(tallies[1].latenciesMs),
                    Median(tallies[0].toEndLatenciesMs) / Median(tallies[1].toEndLatenciesMs));
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: lucidframe-stress [--captures N] [--busy N] [--width W] [--height H] "
                             "[--mode pattern|constant|opaque] [--lucidframe FILE] [--baseline FILE]\n");
        return 2;
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int const status = Run(options);
    Gdiplus::GdiplusShutdown(token);
    return status;
}
