#pragma once

#include "tests/e2e/capture_judge.h"
#include "tests/e2e/program_process_win32.h"

#include <filesystem>
#include <functional>

// Takes a capture with `takeCapture`, which makes the program write `file`,
// and judges it (capture_judge.h). The one retry of a capture is here: a
// compositor race is printed as a retry and the capture taken again, at most
// twice; a wrong capture fails at once with the pixel that differs. GDI+ must
// be running.
void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file, ProgramProcess const& app,
                  std::function<void()> const& takeCapture);

// The same for a capture this process makes itself: `file` is written by the
// time `takeCapture` returns.
void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file,
                  std::function<void()> const& takeCapture);

// Waits for `file` to appear while `app` runs.
void WaitForFile(std::filesystem::path const& file, ProgramProcess const& app);
