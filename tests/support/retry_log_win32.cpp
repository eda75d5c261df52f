#include "tests/support/retry_log_win32.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

std::string g_context;

std::filesystem::path RetryLogPath()
{
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    return std::filesystem::path(program).parent_path() / L"retries.log";
}

} // namespace

void NoteRetry(std::string const& what)
{
    std::string const line = "retry: " + (g_context.empty() ? "" : g_context + ": ") + what + "\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    std::ofstream(RetryLogPath(), std::ios::app | std::ios::binary) << line;
}

void SetRetryContext(std::string const& context)
{
    g_context = context;
}

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
