#include "tests/support/folder_watch_win32.h"

FolderWatch::FolderWatch(std::filesystem::path const& folder)
{
    m_folder = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    m_overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_watching = m_folder != INVALID_HANDLE_VALUE && m_overlapped.hEvent != nullptr && Watch();
}

FolderWatch::~FolderWatch()
{
    if (m_folder != INVALID_HANDLE_VALUE) {
        CancelIo(m_folder);
        CloseHandle(m_folder);
    }
    if (m_overlapped.hEvent != nullptr)
        CloseHandle(m_overlapped.hEvent);
}

bool FolderWatch::Watch()
{
    ResetEvent(m_overlapped.hEvent);
    return ReadDirectoryChangesW(m_folder, m_buffer, sizeof m_buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr,
                                 &m_overlapped, nullptr) != FALSE;
}

bool FolderWatch::NextReport(DWORD waitMs, std::vector<std::wstring>& appeared)
{
    DWORD bytes = 0;
    if (!m_watching || WaitForSingleObject(m_overlapped.hEvent, waitMs) != WAIT_OBJECT_0 ||
        !GetOverlappedResult(m_folder, &m_overlapped, &bytes, FALSE) || bytes == 0)
        return false;
    for (auto const* entry = reinterpret_cast<FILE_NOTIFY_INFORMATION const*>(m_buffer);;
         entry = reinterpret_cast<FILE_NOTIFY_INFORMATION const*>(reinterpret_cast<BYTE const*>(entry) +
                                                                  entry->NextEntryOffset)) {
        if (entry->Action == FILE_ACTION_ADDED || entry->Action == FILE_ACTION_RENAMED_NEW_NAME)
            appeared.emplace_back(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
        if (entry->NextEntryOffset == 0)
            break;
    }
    m_watching = Watch();
    return true;
}
