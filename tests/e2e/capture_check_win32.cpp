#include "tests/e2e/capture_check_win32.h"

#include "output/png_reader.h"
#include "tests/support/retry_log_win32.h"

#include <cstdint>
#include <vector>

namespace {

int const kMaxCaptures = 3;
DWORD const kFileTimeoutMs = 5000;

} // namespace

void WaitForFile(std::filesystem::path const& file, ProgramProcess const& app)
{
    WaitUntil([&] { return std::filesystem::exists(file); }, kFileTimeoutMs, Utf8(file.filename().wstring()), {&app});
}

namespace {

void CheckCaptureWritten(CaptureExpectation const& expectation, std::filesystem::path const& file,
                         std::function<void()> const& takeCapture, std::function<void()> const& waitForFile)
{
    std::string const name = Utf8(file.filename().wstring());
    for (int capture = 1;; ++capture) {
        std::filesystem::remove(file);
        takeCapture();
        waitForFile();
        std::vector<std::uint32_t> pixels;
        std::int32_t width = 0;
        std::int32_t height = 0;
        if (!ReadPng(file, pixels, width, height))
            Fail(name + " is not a PNG");
        CaptureJudgement const judgement = JudgeCapture(expectation, pixels.data(), width, height);
        switch (judgement.verdict) {
        case CaptureVerdict::Matches:
            return;
        case CaptureVerdict::Wrong:
            Fail(name + " does not match the window: " + judgement.detail);
        case CaptureVerdict::CompositorRace:
            if (capture == kMaxCaptures)
                Fail(name + ": a compositor race at each of " + std::to_string(kMaxCaptures) + " captures (" +
                     judgement.detail + ")");
            NoteRetry(name + ": compositor race, " + judgement.detail + "; capturing again");
            break;
        }
    }
}

} // namespace

void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file, ProgramProcess const& app,
                  std::function<void()> const& takeCapture)
{
    CheckCaptureWritten(expectation, file, takeCapture, [&] { WaitForFile(file, app); });
}

void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file,
                  std::function<void()> const& takeCapture)
{
    CheckCaptureWritten(expectation, file, takeCapture, [&] {
        if (!std::filesystem::exists(file))
            Fail("no " + Utf8(file.filename().wstring()));
    });
}
