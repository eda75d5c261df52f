#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "output/save_mode.h"
#include "output/save_path.h"

// Where a finished capture goes and under what name.
struct CaptureDestination {
    SaveMode mode;
    std::wstring folder;                // where automatic saves go
    DWORD folderError = ERROR_SUCCESS;  // why `folder` cannot take them (the user's own folder is no folder)
    bool ownFolder = false;             // the user chose `folder`: it is made where missing, and the Save dialog starts in it
    std::optional<CaptureTime> stamp = std::nullopt; // automatic names carry this time, and never replace a file
    std::wstring_view filterName = L"PNG"; // the Save dialog's name for its one filter, "*.png"
};

// What became of a finished capture's file.
struct CaptureSave {
    enum Result { Saved, Cancelled, Failed } result;
    std::filesystem::path file; // where it went or was to go; empty when the dialog was cancelled
    DWORD error;                // why it failed
};

// Saves a finished capture, the bytes of its PNG file: Automatic into the
// destination's folder under the target window's cleaned title, replacing a
// file of that name, or, with a time stamp, under the title and the time,
// numbered where that name is taken; Manual to the path the user picks in
// the Save dialog, a window of its own. A destination that another program
// holds past the wait, or that is read-only, is kept, and the capture goes
// beside it under the next free name (file_replace_win32.h). A folder too
// long for any file name, or one that cannot be made, saves nothing.
CaptureSave SaveCaptureFile(CaptureDestination const& destination, HWND targetWindow, std::span<const std::uint8_t> png);
