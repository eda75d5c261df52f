#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// A program started by the end-to-end tests. Every step that fails throws
// std::runtime_error saying what went wrong, which fails the test.
class ProgramProcess {
public:
    // Says whether the program with this process id is up, e.g. by finding its
    // window.
    using UpProbe = std::function<bool(DWORD processId)>;

    // Starts `program` with `arguments` (the command line after the program's
    // name) and waits until `isUp` says it is up. A program that wine could
    // not start, or that ends before it is up, is started again only when
    // wine is at fault (early_exit.h), printing one line; any other end fails,
    // and so does one that is not up in time.
    ProgramProcess(std::filesystem::path const& program, std::wstring const& arguments, UpProbe const& isUp);

    // Starts `program`, again when wine could not start it, and waits for its
    // exit; a crash fails.
    static DWORD RunToExit(std::filesystem::path const& program, std::wstring const& arguments);

    // Ends the program if it still runs. A crash seen here is not reported:
    // call CheckNotCrashed first where it matters.
    ~ProgramProcess();
    ProgramProcess(ProgramProcess const&) = delete;
    ProgramProcess& operator=(ProgramProcess const&) = delete;

    DWORD id() const { return m_process.dwProcessId; }
    HANDLE handle() const { return m_process.hProcess; }
    std::wstring const& name() const { return m_name; }
    bool Running() const;

    // Fails if the program ended with an exception's exit code.
    void CheckNotCrashed() const;

    // Waits for the program to end; fails if it does not or if it crashed.
    DWORD WaitForExit(DWORD timeoutMs);

private:
    ProgramProcess() = default;
    void Launch(std::filesystem::path const& program, std::wstring const& arguments, int start);
    std::optional<DWORD> ExitCode() const;
    void Close();

    std::wstring m_name;
    PROCESS_INFORMATION m_process = {};
};

// Polls `condition` until it holds or `timeoutMs` pass; while waiting, each
// program in `watched` must keep running without a crash. Fails naming `what`
// and, after a timeout, the windows on the desktop.
void WaitUntil(std::function<bool()> const& condition, DWORD timeoutMs, std::string const& what,
               std::initializer_list<ProgramProcess const*> watched = {});

// Polls `condition` until it holds or `timeoutMs` pass; false after a timeout.
bool HoldsWithin(std::function<bool()> const& condition, DWORD timeoutMs);

// Throws the failure of a step.
[[noreturn]] void Fail(std::string const& what);

std::string Utf8(std::wstring const& text);
