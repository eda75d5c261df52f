#include "output/save_folder_win32.h"

#include "output/save_folder.h"

#include <optional>

namespace {

std::optional<std::wstring> EnvironmentVariable(std::wstring_view name)
{
    std::wstring const key(name);
    SetLastError(ERROR_SUCCESS);
    DWORD const size = GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (size == 0)
        return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt : std::optional<std::wstring>(L"");
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(key.c_str(), value.data(), size));
    return value;
}

// The system's error for each problem, whose words the balloon shows.
DWORD ErrorOf(SaveFolderProblem problem)
{
    switch (problem) {
    case SaveFolderProblem::None:
        return ERROR_SUCCESS;
    case SaveFolderProblem::UnexpandedVariable:
        return ERROR_ENVVAR_NOT_FOUND;
    case SaveFolderProblem::BadPath:
        return ERROR_BAD_PATHNAME;
    case SaveFolderProblem::BadName:
        return ERROR_INVALID_NAME;
    case SaveFolderProblem::TooLong:
        return ERROR_FILENAME_EXCED_RANGE;
    }
    return ERROR_BAD_PATHNAME;
}

// ERROR_SUCCESS where `path` is a folder, ERROR_DIRECTORY where it is a file.
DWORD FolderStands(std::wstring const& path)
{
    DWORD const attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

} // namespace

ResolvedFolder ResolveSaveFolder(std::wstring_view value, std::wstring_view programFolder)
{
    SaveFolder const folder = SaveFolderFor(value, programFolder, EnvironmentVariable);
    return {folder.path, ErrorOf(folder.problem)};
}

DWORD MakeFolder(std::wstring const& folder)
{
    // Only what is missing is made: a folder that stands may refuse to be
    // made again where the user may not write (a drive's root).
    for (std::wstring const& step : FoldersOnTheWay(folder)) {
        DWORD const stands = FolderStands(step);
        if (stands == ERROR_DIRECTORY)
            return stands;
        if (stands != ERROR_SUCCESS && !CreateDirectoryW(step.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return GetLastError();
    }
    // With its backslash, a drive's root "D:" is the root, not the drive's current folder.
    return FolderStands(folder + L'\\');
}
