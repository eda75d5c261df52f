#pragma once

#include <windows.h>

#include <cstdint>

#include "output/save_mode.h"

// Saves a finished capture: Automatic into `programFolder` under the target
// window's cleaned title, replacing a file of that name; Manual to the path
// the user picks in the Save dialog, owned by `ownerWindow`. A cancelled
// dialog, or a folder too long for any file name, saves nothing and shows
// nothing.
void SaveCaptureFile(SaveMode mode, const wchar_t* programFolder, HWND ownerWindow, HWND targetWindow,
                     const std::uint32_t* pixels, std::int32_t width, std::int32_t height);
