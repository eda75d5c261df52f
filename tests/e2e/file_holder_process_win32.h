#pragma once

#include "tests/e2e/program_process_win32.h"

#include <windows.h>

#include <filesystem>

// lucidframe-file-holder.exe, started beside the test program on `folder`:
// from the moment the constructor returns until the object goes, every new
// file in the folder is held for `holdMs` without delete sharing, as a virus
// scanner or sync client holds it.
class FileHolderProcess {
public:
    FileHolderProcess(std::filesystem::path const& folder, DWORD holdMs);
    FileHolderProcess(FileHolderProcess const&) = delete;
    FileHolderProcess& operator=(FileHolderProcess const&) = delete;

private:
    ProgramProcess m_process;
};
