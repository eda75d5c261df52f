#pragma once

#include <windows.h>

#include <cstdint>

// Saves a finished capture: with saveMode Automatic into the program folder
// under the target window's cleaned title, replacing a file of that name; with
// Manual to the path the user picks in the Save dialog (owned by
// `ownerWindow`). A cancelled dialog, or a folder too long for any file name,
// saves nothing and shows nothing.
void SaveCapture(HWND ownerWindow, HWND targetWindow, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height);
