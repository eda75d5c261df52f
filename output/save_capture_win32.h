#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <span>

#include "output/save_mode.h"

// What became of a finished capture's file.
struct CaptureSave {
    enum Result { Saved, Cancelled, Failed } result;
    std::filesystem::path file; // where it went or was to go; empty when the dialog was cancelled
    DWORD error;                // why it failed
};

// Saves a finished capture, the bytes of its PNG file: Automatic into
// `programFolder` under the target window's cleaned title, replacing a file
// of that name; Manual to the path the user picks in the Save dialog, owned
// by `ownerWindow`. A destination that another program holds past the wait,
// or that is read-only, is kept, and the capture goes beside it under the
// next free name (file_replace_win32.h). A folder too long for any file name
// saves nothing.
CaptureSave SaveCaptureFile(SaveMode mode, const wchar_t* programFolder, HWND ownerWindow, HWND targetWindow,
                            std::span<const std::uint8_t> png);
