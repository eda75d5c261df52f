#include "tests/e2e/file_holder_process_win32.h"

#include "tests/support/file_holder.h"

#include <string>

namespace {

std::filesystem::path HolderProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / L"lucidframe-file-holder.exe";
}

bool Watches(DWORD processId)
{
    HANDLE const ready = OpenEventW(SYNCHRONIZE, FALSE, FileHolderReadyEvent(processId).c_str());
    if (ready == nullptr)
        return false;
    CloseHandle(ready);
    return true;
}

} // namespace

FileHolderProcess::FileHolderProcess(std::filesystem::path const& folder, DWORD holdMs)
    : m_process(HolderProgram(), L"\"" + folder.wstring() + L"\" " + std::to_wstring(holdMs), Watches)
{
}
