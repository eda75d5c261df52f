#include "output/file_replace_win32.h"

#include "output/png_file.h"
#include "output/save_path.h"

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

namespace {

// A short destination name leaves few temporary names to choose from.
int const kTemporaryNameAttempts = 16;

// Virus scanners, search indexers and sync clients open every new file as
// soon as it is closed, without delete sharing, and let go of it within
// moments; while one holds the destination, it cannot be replaced. A save
// waits that long for them, in short steps: the program answers nothing
// meanwhile.
ULONGLONG const kHeldFileWaitMs = 2000;
DWORD const kHeldFileStepMs = 50;

// Numbered names tried beside a destination that stays held.
unsigned const kNumberedNames = 1000;

// FILE_INFO_BY_HANDLE_CLASS's FileRenameInfoEx and its flags (Windows 10
// version 1607 and later), by value, as older SDKs do not name them.
FILE_INFO_BY_HANDLE_CLASS const kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
DWORD const kRenameReplaceIfExists = 0x1;
DWORD const kRenamePosixSemantics = 0x2;

// FILE_RENAME_INFO in both of its forms: Windows 10 reads the first member as
// flags for FileRenameInfoEx, older systems as a BOOLEAN for FileRenameInfo.
struct RenameRequest {
    DWORD flags;
    HANDLE rootDirectory;
    DWORD fileNameLength;
    WCHAR fileName[1];
};

// The temporary file is written and renamed only while this lock is held, and
// its handle is kept here until it is gone, so that a console control handler
// that takes the lock (RemoveUnfinishedSave) can remove it.
SRWLOCK saveLock = SRWLOCK_INIT;
HANDLE unfinishedSave = INVALID_HANDLE_VALUE;
void (*saveHook)() = nullptr;

// Makes an empty temporary file beside `path`, with CREATE_NEW so that no
// other writer can have picked the same name, shared with no other program,
// and open for the rename. Its name is never longer than the destination's,
// so it fits wherever the destination fits: a folder of up to 254 characters
// still takes an automatic save, where GetTempFileNameW refuses folders
// longer than MAX_PATH - 14. INVALID_HANDLE_VALUE, with the last error set,
// when none can be made.
HANDLE CreateTemporaryBeside(std::filesystem::path const& path)
{
    std::random_device random;
    std::size_t const nameLength = path.filename().native().size();
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        std::filesystem::path const temporary = path.parent_path() / TemporaryFileName(nameLength, random());
        HANDLE const file = CreateFileW(temporary.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        DWORD const chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

// The file is ours alone, so marking it for deletion removes it as the handle
// closes.
void DiscardTemporary(HANDLE file)
{
    FILE_DISPOSITION_INFO dispose = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
    CloseHandle(file);
}

bool SystemLacksTheCall(DWORD error)
{
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
}

// Renames the open file to `target`. FileRenameInfoEx with POSIX semantics
// replaces a target that others hold open with delete sharing; where the
// system does not know it, FileRenameInfo, what MoveFileExW does inside, on
// the handle already open, so that no other program can take the temporary
// file between its write and its rename. ERROR_SUCCESS or the failure.
DWORD RenameOpenFile(HANDLE file, std::filesystem::path const& target, bool replace)
{
    static bool posixRenames = true;
    std::wstring const& name = target.native();
    std::vector<std::byte> storage(offsetof(RenameRequest, fileName) + (name.size() + 1) * sizeof(WCHAR));
    auto* const request = reinterpret_cast<RenameRequest*>(storage.data());
    request->fileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
    std::copy(name.begin(), name.end(), request->fileName);
    request->fileName[name.size()] = L'\0';
    DWORD const size = static_cast<DWORD>(storage.size());
    if (posixRenames) {
        request->flags = kRenamePosixSemantics | (replace ? kRenameReplaceIfExists : 0);
        if (SetFileInformationByHandle(file, kFileRenameInfoEx, request, size))
            return ERROR_SUCCESS;
        DWORD const error = GetLastError();
        if (!SystemLacksTheCall(error))
            return error;
        posixRenames = false;
    }
    request->flags = replace ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileRenameInfo, request, size) ? ERROR_SUCCESS : GetLastError();
}

// A sharing violation or a denied access on a file that is there: another
// program has it open without delete sharing.
bool HeldByAnotherProgram(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Puts the written temporary file in the place of `destination`, or beside
// it; the handle stays open either way.
FileWrite PutInPlace(HANDLE file, std::filesystem::path const& destination, WhenHeld whenHeld)
{
    if (whenHeld == WhenHeld::FailIfExists) {
        DWORD const error = RenameOpenFile(file, destination, false);
        return {error == ERROR_SUCCESS, destination, error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error};
    }
    DWORD const attributes = GetFileAttributesW(destination.c_str());
    bool const isFile = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    // Windows refuses to replace a read-only file, and wine replaces it: the
    // refusal is made here, so that both keep it.
    bool const readOnly = isFile && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    // Only a plain file can be held by another program; a folder, or a place
    // the program may not write, does not change by waiting.
    ULONGLONG const deadline = GetTickCount64() + (isFile && !readOnly ? kHeldFileWaitMs : 0);
    DWORD error = ERROR_ACCESS_DENIED;
    while (!readOnly && (error = RenameOpenFile(file, destination, true)) != ERROR_SUCCESS &&
           HeldByAnotherProgram(error) && GetTickCount64() < deadline)
        Sleep(kHeldFileStepMs);
    if (error == ERROR_SUCCESS)
        return {true, destination, ERROR_SUCCESS};
    // A file that stays held or read-only is kept and numbered around; a
    // folder of that name, or a place the program may not write, is a
    // failure to report.
    if (!HeldByAnotherProgram(error) || !isFile || whenHeld == WhenHeld::Fail)
        return {false, destination, error};
    for (unsigned number = 2; number <= kNumberedNames; ++number) {
        std::optional<std::wstring> const numbered = NumberedCapturePath(destination.native(), number);
        if (!numbered)
            break;
        DWORD const numberedError = RenameOpenFile(file, *numbered, false);
        if (numberedError == ERROR_SUCCESS)
            return {true, *numbered, ERROR_SUCCESS};
        if (numberedError != ERROR_ALREADY_EXISTS && numberedError != ERROR_FILE_EXISTS)
            return {false, destination, numberedError};
    }
    return {false, destination, error};
}

} // namespace

FileWrite WriteFileReplacing(std::filesystem::path const& destination, std::span<const std::uint8_t> bytes,
                             WhenHeld whenHeld)
{
    AcquireSRWLockExclusive(&saveLock);
    HANDLE const file = CreateTemporaryBeside(destination);
    DWORD const createError = GetLastError();
    unfinishedSave = file;
    bool const written = file != INVALID_HANDLE_VALUE && WriteAll(file, bytes);
    DWORD const writeError = GetLastError();
    ReleaseSRWLockExclusive(&saveLock);
    if (file == INVALID_HANDLE_VALUE)
        return {false, destination, createError};

    if (saveHook != nullptr)
        saveHook();
    AcquireSRWLockExclusive(&saveLock);
    FileWrite const result = written ? PutInPlace(file, destination, whenHeld) : FileWrite{false, destination, writeError};
    if (result.written)
        CloseHandle(file);
    else
        DiscardTemporary(file);
    unfinishedSave = INVALID_HANDLE_VALUE;
    ReleaseSRWLockExclusive(&saveLock);
    return result;
}

// The lock is never released: the process ends next, and no save may start
// or replace its destination before it has.
void RemoveUnfinishedSave()
{
    AcquireSRWLockExclusive(&saveLock);
    if (unfinishedSave != INVALID_HANDLE_VALUE)
        DiscardTemporary(unfinishedSave);
}

void SetSaveHookForTesting(void (*hook)())
{
    saveHook = hook;
}
