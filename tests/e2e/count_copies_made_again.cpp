// A build of Lucidframe for lucidframe-stress: it links this definition of
// the capture's step notes in place of the program's own, which do nothing.
// Each copy made again after a stale one is one line ("black" or "white") in
// copies.log beside the program, and each capture one line of steps.log: the
// moment the hot key was handled ("clock", in milliseconds of the
// performance counter, which every process of the machine shares), then the
// milliseconds from it to each step the capture passed, by the step's name.
// Otherwise it is the program.

#include "capture/capture_trace.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

char const* const kStepNames[] = {
    "begun",        "balloon_hidden", "target_asked", "request_made", "buffers_made", "backdrop_shown", "black_copied",
    "white_copied", "black_again",    "white_again",  "checked",      "matted",       "finished",       "encoded",
    "clipboard",    "file_written",   "released",     "parked",       "balloon_shown",
};
static_assert(std::size(kStepNames) == static_cast<std::size_t>(CaptureStep::BalloonShown) + 1);

// A file beside the program, opened for appending; null when its path does
// not fit.
FILE* OpenBeside(wchar_t const* name)
{
    wchar_t path[MAX_PATH] = {};
    DWORD const length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* const slash = std::wcsrchr(path, L'\\');
    if (length == 0 || length >= MAX_PATH || slash == nullptr || slash - path + 1 + std::wcslen(name) >= MAX_PATH)
        return nullptr;
    std::wcscpy(slash + 1, name);
    return _wfopen(path, L"a");
}

double Milliseconds(LONGLONG counter)
{
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER begun = {};
std::string steps; // this capture's, so far

} // namespace

void NoteCaptureStep(CaptureStep step)
{
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    char note[64];
    if (step == CaptureStep::Begun) {
        begun = now;
        std::snprintf(note, sizeof(note), "clock=%.3f", Milliseconds(now.QuadPart));
        steps = note;
    }
    std::snprintf(note, sizeof(note), " %s=%.2f", kStepNames[static_cast<std::size_t>(step)],
                  Milliseconds(now.QuadPart - begun.QuadPart));
    steps += note;
    if (step == CaptureStep::BlackCopiedAgain || step == CaptureStep::WhiteCopiedAgain) {
        if (FILE* file = OpenBeside(L"copies.log")) {
            std::fputs(step == CaptureStep::BlackCopiedAgain ? "black\n" : "white\n", file);
            std::fclose(file);
        }
    }
    if (step == CaptureStep::BalloonShown) {
        if (FILE* file = OpenBeside(L"steps.log")) {
            std::fprintf(file, "%s\n", steps.c_str());
            std::fclose(file);
        }
    }
}
