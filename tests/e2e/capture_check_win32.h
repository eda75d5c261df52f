#pragma once

#include "tests/e2e/capture_expectation.h"
#include "tests/e2e/program_process_win32.h"

#include <filesystem>
#include <functional>

// Takes a capture with `takeCapture`, which makes the program write `file`,
// and checks it against the expectation (capture_expectation.h): a wrong
// capture fails with the pixel that differs. GDI+ must be running.
void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file, ProgramProcess const& app,
                  std::function<void()> const& takeCapture);

// The same for a capture this process makes itself: `file` is written by the
// time `takeCapture` returns.
void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file,
                  std::function<void()> const& takeCapture);

// Waits for `file` to appear while `app` runs.
void WaitForFile(std::filesystem::path const& file, ProgramProcess const& app);
