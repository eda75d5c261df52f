#include "tests/e2e/program_process_win32.h"

#include "tests/support/early_exit.h"
#include "tests/support/retry_log_win32.h"
#include "tests/e2e/top_level_windows_win32.h"

#include <cstdio>
#include <stdexcept>

namespace {

DWORD const kUpTimeoutMs = 20000;
DWORD const kPollMs = 20;

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

} // namespace

void Fail(std::string const& what)
{
    throw std::runtime_error(what);
}

std::string Utf8(std::wstring const& text)
{
    int const length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), length, nullptr,
                        nullptr);
    return utf8;
}

ProgramProcess::ProgramProcess(std::filesystem::path const& program, std::wstring const& arguments,
                               UpProbe const& isUp)
    : m_name(program.filename().wstring())
{
    for (int start = 1;; ++start) {
        Launch(program, arguments, start);
        if (m_process.hProcess == nullptr)
            continue;
        ULONGLONG const deadline = GetTickCount64() + kUpTimeoutMs;
        while (Running()) {
            if (isUp(id()))
                return;
            if (GetTickCount64() > deadline)
                Fail(Utf8(m_name) + " is not up after " + std::to_string(kUpTimeoutMs / 1000) + " s");
            Sleep(kPollMs);
        }
        DWORD const code = ExitCode().value_or(0);
        switch (ClassifyEarlyExit(RunningUnderWine(), code)) {
        case EarlyExit::Crash:
            Fail(Utf8(m_name) + " crashed with " + Hex(code) + " before it was up");
        case EarlyExit::Failure:
            Fail(Utf8(m_name) + " ended with " + std::to_string(code) + " before it was up");
        case EarlyExit::WineFault:
            if (start == kMaxStarts)
                Fail("wine ended " + Utf8(m_name) + " before it was up at each of " + std::to_string(kMaxStarts) +
                     " starts");
            NoteRetry("wine ended " + Utf8(m_name) + " with status " + std::to_string(code) +
                      " before it was up; starting it again");
            Close();
            break;
        }
    }
}

DWORD ProgramProcess::RunToExit(std::filesystem::path const& program, std::wstring const& arguments)
{
    ProgramProcess process;
    process.m_name = program.filename().wstring();
    for (int start = 1; process.m_process.hProcess == nullptr; ++start)
        process.Launch(program, arguments, start);
    return process.WaitForExit(kUpTimeoutMs);
}

ProgramProcess::~ProgramProcess()
{
    if (Running()) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, INFINITE);
    }
    Close();
}

// Leaves no process, and notes a retry, when wine could not start the program
// and `start` may be followed by another (early_exit.h).
void ProgramProcess::Launch(std::filesystem::path const& program, std::wstring const& arguments, int start)
{
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    std::wstring const folder = program.parent_path().wstring();
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &m_process)) {
        std::string const failure = "cannot start " + Utf8(program.wstring()) + " (error " +
                                    std::to_string(GetLastError()) + ")";
        if (!RestartsFailedStart(RunningUnderWine(), start))
            Fail(failure);
        NoteRetry(failure + " under wine; starting it again");
        m_process = {};
        return;
    }
    CloseHandle(m_process.hThread);
    m_process.hThread = nullptr;
}

std::optional<DWORD> ProgramProcess::ExitCode() const
{
    DWORD code = 0;
    if (m_process.hProcess == nullptr || Running() || !GetExitCodeProcess(m_process.hProcess, &code))
        return std::nullopt;
    return code;
}

bool ProgramProcess::Running() const
{
    return m_process.hProcess != nullptr && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

void ProgramProcess::CheckNotCrashed() const
{
    std::optional<DWORD> const code = ExitCode();
    if (code && IsCrashExitCode(*code))
        Fail(Utf8(m_name) + " crashed with " + Hex(*code));
}

DWORD ProgramProcess::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        Fail(Utf8(m_name) + " is still running after " + std::to_string(timeoutMs / 1000) + " s");
    CheckNotCrashed();
    return ExitCode().value_or(0);
}

void ProgramProcess::Close()
{
    if (m_process.hProcess != nullptr)
        CloseHandle(m_process.hProcess);
    m_process = {};
}

bool HoldsWithin(std::function<bool()> const& condition, DWORD timeoutMs)
{
    ULONGLONG const deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

void WaitUntil(std::function<bool()> const& condition, DWORD timeoutMs, std::string const& what,
               std::initializer_list<ProgramProcess const*> watched)
{
    ULONGLONG const deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        for (ProgramProcess const* process : watched) {
            process->CheckNotCrashed();
            if (!process->Running())
                Fail(Utf8(process->name()) + " ended while waiting for " + what);
        }
        if (GetTickCount64() > deadline)
            Fail("no " + what + " after " + std::to_string(timeoutMs) + " ms (" + DescribeDesktop() + ")");
        Sleep(kPollMs);
    }
}
