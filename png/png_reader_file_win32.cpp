#include "png/png_reader_file.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

PngReadResult Unreadable(DWORD error)
{
    return {PngFault::Unreadable, "Windows error " + std::to_string(error)};
}

} // namespace

// Shared for reading only: while the file is open no one can change, replace
// or delete it, so GDI+, which opens it again by name, decodes the bytes that
// were checked. FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it is
// told apart from a file that cannot be read.
PngReadResult CheckedPngFile::Open(const std::filesystem::path& path)
{
    HANDLE const file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD const error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {PngFault::Missing, ""};
        return Unreadable(error);
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        return {PngFault::NotRegularFile, ""};
    }
    handle_ = file;
    return {};
}

std::ptrdiff_t CheckedPngFile::ReadSome(std::uint8_t* to, std::size_t size)
{
    DWORD count = 0;
    if (!ReadFile(handle_, to, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &count, nullptr)) {
        readError_ = Unreadable(GetLastError());
        return -1;
    }
    return static_cast<std::ptrdiff_t>(count);
}

void CheckedPngFile::Close()
{
    if (handle_ != nullptr)
        CloseHandle(handle_);
    handle_ = nullptr;
}
