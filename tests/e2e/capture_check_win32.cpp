#include "tests/e2e/capture_check_win32.h"

#include "png/png_reader.h"
#include "tests/e2e/top_level_windows_win32.h"
#include "tests/support/retry_log_win32.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

DWORD const kFileTimeoutMs = 5000;


// The program writes a capture under another name and renames it, still
// open to no one else, to `file`; it can be read once the program closes it,
// a moment later.
bool Readable(std::filesystem::path const& file)
{
    HANDLE const handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
}

} // namespace

void WaitForFile(std::filesystem::path const& file, ProgramProcess const& app)
{
    WaitUntil([&] { return Readable(file); }, kFileTimeoutMs, Utf8(file.filename().wstring()), {&app});
}

namespace {

void CheckFile(CaptureExpectation const& expectation, std::filesystem::path const& file)
{
    std::string const name = Utf8(file.filename().wstring());
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ReadPng(file, pixels, width, height))
        Fail(name + " is not a PNG");
    if (std::optional<std::string> const difference = CaptureDifference(expectation, pixels.data(), width, height))
        Fail(name + " does not match the window: " + *difference);
}

void CheckCaptureWritten(CaptureExpectation const& expectation, std::filesystem::path const& file,
                         std::function<void()> const& takeCapture, std::function<void()> const& waitForFile)
{
    std::filesystem::remove(file);
    takeCapture();
    waitForFile();
    CheckFile(expectation, file);
}

// The PNG files in `folder` that are not among `known` and can be read.
std::vector<std::filesystem::path> NewCaptures(std::filesystem::path const& folder,
                                               std::vector<std::filesystem::path> const& known)
{
    std::vector<std::filesystem::path> found;
    for (auto const& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == L".png" && std::find(known.begin(), known.end(), entry.path()) == known.end() &&
            Readable(entry.path()))
            found.push_back(entry.path());
    return found;
}

// Whether `done` came within the time a capture takes, and whether the
// program's backdrop showed meanwhile.
struct CaptureSeen {
    bool done;
    bool backdrop;
};

CaptureSeen WatchCapture(std::function<bool()> const& done, LucidframeApp const& app, std::string const& what)
{
    CaptureSeen seen = {false, false};
    DWORD const start = GetTickCount();
    while (!(seen.done = done()) && GetTickCount() - start < kFileTimeoutMs) {
        seen.backdrop = seen.backdrop || ShowsAsBackdrop(app.host());
        app.process().CheckNotCrashed();
        if (!app.Running())
            Fail("the program ended while waiting for " + what);
        Sleep(1);
    }
    return seen;
}

} // namespace

void TakeCapture(LucidframeApp const& app, std::function<void()> const& takeCapture, std::function<bool()> const& done,
                 std::string const& what)
{
    takeCapture();
    CaptureSeen seen = WatchCapture(done, app, what);
    bool const pressAgain = !seen.done && !seen.backdrop && RunningUnderWine();
    if (pressAgain) {
        NoteRetry(what + ": the key press never reached the program (its backdrop never showed); taking the "
                         "capture again");
        takeCapture();
        seen = WatchCapture(done, app, what);
    }
    if (!seen.done)
        Fail("no " + what + " after " + std::to_string(kFileTimeoutMs) + " ms" +
             (seen.backdrop ? "" : ", and the backdrop never showed") + (pressAgain ? ", twice" : ""));
}

void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file, LucidframeApp const& app,
                  std::function<void()> const& takeCapture)
{
    std::string const name = Utf8(file.filename().wstring());
    CheckCaptureWritten(
        expectation, file, [&] { TakeCapture(app, takeCapture, [&] { return Readable(file); }, name); }, [] {});
}

std::filesystem::path CheckNewCapture(CaptureExpectation const& expectation, LucidframeApp const& app,
                                      std::function<void()> const& takeCapture)
{
    std::vector<std::filesystem::path> const known = NewCaptures(app.folder(), {});
    TakeCapture(app, takeCapture, [&] { return !NewCaptures(app.folder(), known).empty(); }, "a new capture");
    std::vector<std::filesystem::path> const added = NewCaptures(app.folder(), known);
    if (added.size() != 1)
        Fail("one capture made " + std::to_string(added.size()) + " files");
    CheckFile(expectation, added[0]);
    return added[0];
}

void CheckCapture(CaptureExpectation const& expectation, std::filesystem::path const& file,
                  std::function<void()> const& takeCapture)
{
    CheckCaptureWritten(expectation, file, takeCapture, [&] {
        if (!std::filesystem::exists(file))
            Fail("no " + Utf8(file.filename().wstring()));
    });
}
