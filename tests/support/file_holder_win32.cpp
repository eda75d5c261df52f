// lucidframe-file-holder FOLDER MILLISECONDS: does to every new file in FOLDER
// what virus scanners, search indexers and sync clients do: opens it as soon
// as it appears, or as soon as its writer lets it, for reading and without
// delete sharing, and holds it for MILLISECONDS. While it is held, the file can be neither renamed
// nor deleted. Runs until it is ended; bad arguments exit 2. Once it watches
// the folder it creates the event named by FileHolderReadyEvent(its process
// id), so that whoever starts it knows when the folder is watched.

#include "tests/support/file_holder.h"
#include "tests/support/folder_watch_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int const kBadArguments = 2;
// A writer may keep its new file open for a while; a scanner tries again
// until it gets it.
ULONGLONG const kOpenPatienceMs = 5000;
DWORD const kStepMs = 5;

struct HeldFile {
    std::filesystem::path path;
    HANDLE handle = INVALID_HANDLE_VALUE;
    ULONGLONG openBy = 0;      // give up opening after this tick
    ULONGLONG releaseAt = 0;   // 0 while not yet open
};

// Opens, releases or gives up on each file as its time comes.
void Tend(std::vector<HeldFile>& files, DWORD holdMs)
{
    ULONGLONG const now = GetTickCount64();
    for (auto file = files.begin(); file != files.end();) {
        if (file->releaseAt == 0) {
            // Read and write sharing, as a scanner asks: the writer may still
            // have it open. Delete sharing is what it never gives.
            file->handle = CreateFileW(file->path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file->handle != INVALID_HANDLE_VALUE)
                file->releaseAt = now + holdMs;
            else if (GetLastError() != ERROR_SHARING_VIOLATION || now > file->openBy)
                file->releaseAt = now; // gone already, or never to be had
        }
        if (file->releaseAt != 0 && now >= file->releaseAt) {
            if (file->handle != INVALID_HANDLE_VALUE)
                CloseHandle(file->handle);
            file = files.erase(file);
        } else {
            ++file;
        }
    }
}

bool ParseMilliseconds(wchar_t const* text, DWORD& milliseconds)
{
    wchar_t* end = nullptr;
    unsigned long const value = std::wcstoul(text, &end, 10);
    if (end == text || *end != L'\0' || value > 600000)
        return false;
    milliseconds = static_cast<DWORD>(value);
    return true;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    DWORD holdMs = 0;
    bool const valid = argv != nullptr && count == 3 && ParseMilliseconds(argv[2], holdMs);
    std::filesystem::path const folder = valid ? argv[1] : L"";
    LocalFree(argv);
    if (!valid)
        return kBadArguments;

    FolderWatch watch(folder);
    if (!watch.watching())
        return 1;
    // Lives as long as the process, which is ended from outside.
    CreateEventW(nullptr, TRUE, TRUE, FileHolderReadyEvent(GetCurrentProcessId()).c_str());

    std::vector<HeldFile> files;
    for (;;) {
        std::vector<std::wstring> appeared;
        watch.NextReport(files.empty() ? INFINITE : kStepMs, appeared);
        for (std::wstring const& name : appeared)
            files.push_back({folder / name, INVALID_HANDLE_VALUE, GetTickCount64() + kOpenPatienceMs, 0});
        Tend(files, holdMs);
    }
}
