#include "tests/e2e/capture_check_win32.h"

#include "output/png_reader.h"

#include <cstdint>
#include <vector>

namespace {

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
    std::filesystem::remove(file);
    takeCapture();
    waitForFile();
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ReadPng(file, pixels, width, height))
        Fail(name + " is not a PNG");
    if (std::optional<std::string> const difference = CaptureDifference(expectation, pixels.data(), width, height))
        Fail(name + " does not match the window: " + *difference);
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
