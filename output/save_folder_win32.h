#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The settings' save folder as this process finds it.
struct ResolvedFolder {
    std::wstring path; // empty where `error` is set
    DWORD error;       // ERROR_SUCCESS, or why the value names no folder
};

// The folder of the settings' value (output/save_folder.h), its variables
// read from this process's environment.
ResolvedFolder ResolveSaveFolder(std::wstring_view value, std::wstring_view programFolder);

// Makes `folder`, and every folder missing on the way to it. ERROR_SUCCESS
// once it stands as a folder; otherwise the system's reason, and
// ERROR_DIRECTORY where a file stands in the way.
DWORD MakeFolder(std::wstring const& folder);
