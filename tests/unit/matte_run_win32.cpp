#include "matte_run.h"

#include <windows.h>
#include <psapi.h>

#include "tests/support/early_exit.h"

namespace {

// Cross-built and run under wine, the build folder is a Unix path, which wine
// shows as drive Z:.
std::wstring WindowsPath(const std::string& path)
{
    return PathFromUtf8(path.front() == '/' ? "Z:" + path : path).wstring();
}

std::wstring Quoted(const std::wstring& text)
{
    return L'"' + text + L'"';
}

HANDLE InheritableFile(const std::filesystem::path& path)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inheritable, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

double Seconds(const FILETIME& time)
{
    return static_cast<double>(static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
}

// CreateProcessW, started again when wine could not start the program: the
// tests' one rule for wine's own faults (early_exit.h).
bool StartProgram(const std::string& program, std::wstring command, STARTUPINFOW& startup,
                  PROCESS_INFORMATION& process)
{
    for (int start = 1;; ++start) {
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                           &startup, &process))
            return true;
        if (!RestartsFailedStart(RunningUnderWine(), start))
            return false;
        NoteRetry("wine could not start " + program + " (error " + std::to_string(GetLastError()) +
                  "); starting it again");
    }
}

} // namespace

// The child gets a console of its own without a window (CREATE_NO_WINDOW), so
// that a console control event it raises reaches no other process.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments, const RunLimits& limits)
{
    ScratchFolder streams;
    HANDLE const out = InheritableFile(streams / "out.txt");
    HANDLE const err = InheritableFile(streams / "err.txt");
    std::wstring command = Quoted(WindowsPath(program));
    for (const std::string& argument : arguments)
        command += L' ' + Quoted(PathFromUtf8(argument).wstring());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    if (StartProgram(program, command, startup, process)) {
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limits.timeoutSeconds * 1000)) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            run.timedOut = true;
        }
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        run.status = static_cast<int>(status);
        // Wine 8 reports neither for another process: the times grow with
        // the caller's, and the peak is mostly 0.
        FILETIME created, exited, kernel, user;
        if (!RunningUnderWine() && GetProcessTimes(process.hProcess, &created, &exited, &kernel, &user))
            run.cpuSeconds = Seconds(kernel) + Seconds(user);
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        if (!RunningUnderWine() && GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            run.peakMiB = static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadBytes(streams / "out.txt");
    run.err = ReadBytes(streams / "err.txt");
    return run;
}
