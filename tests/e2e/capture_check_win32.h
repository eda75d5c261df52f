#pragma once

#include "tests/e2e/capture_expectation.h"
#include "tests/e2e/lucidframe_app_win32.h"
#include "tests/e2e/program_process_win32.h"

#include <filesystem>
#include <functional>

// Takes a capture with `takeCapture` and waits until `done` says that the
// program is done with it, as a user would tell: its file, its balloon.
//
// Under wine a key press now and then never reaches the program: measured at
// about one in a hundred Ctrl+PrtSc pressed through SendInput, the program
// receiving no WM_HOTKEY at all, with the program of before the stale-frame
// check too. A capture shows the backdrop, so a capture after which `done`
// did not come and the backdrop never showed is taken once more, printed and
// counted as a retry; any other fails, naming `what`.
void TakeCapture(LucidframeApp const& app, std::function<void()> const& takeCapture, std::function<bool()> const& done,
                 std::string const& what);

// Takes a capture with `takeCapture`, which makes `app` write `file`, and
// checks it against the expectation (capture_expectation.h): a wrong capture
// fails with the pixel that differs; a lost key press is pressed again as
// TakeCapture says. GDI+ must be running.
void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file, LucidframeApp const& app,
                  std::function<void()> const& takeCapture);

// The same for a capture this process makes itself: `file` is written by the
// time `takeCapture` returns.
void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file,
                  std::function<void()> const& takeCapture);

// Takes a capture with `takeCapture`, which makes `app` write a new PNG file
// directly in its folder under a name the test cannot know in advance, and
// checks it as CheckCapture does. Returns that file.
std::filesystem::path CheckNewCapture(CaptureExpectation const& expectation, LucidframeApp const& app,
                                      std::function<void()> const& takeCapture);

// Waits for `file` to appear while `app` runs.
void WaitForFile(std::filesystem::path const& file, ProgramProcess const& app);
