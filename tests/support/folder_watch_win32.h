#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

// The files that appear in a folder (made there or renamed into it) while
// this object lives, as the file system reports them.
class FolderWatch {
public:
    explicit FolderWatch(std::filesystem::path const& folder);
    ~FolderWatch();
    FolderWatch(FolderWatch const&) = delete;
    FolderWatch& operator=(FolderWatch const&) = delete;

    // Whether the folder could be opened and is watched.
    bool watching() const { return m_watching; }

    // Waits up to `waitMs` for the file system's next report and appends the
    // names of the files that appeared to `appeared`; false when no report
    // came in time.
    bool NextReport(DWORD waitMs, std::vector<std::wstring>& appeared);

private:
    bool Watch();

    HANDLE m_folder = INVALID_HANDLE_VALUE;
    OVERLAPPED m_overlapped = {};
    bool m_watching = false;
    alignas(DWORD) BYTE m_buffer[16384] = {};
};
