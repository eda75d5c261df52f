#pragma once

#include <cstdint>
#include <string>

#include "output/save_mode.h"

// The user's settings. Each flag's byte is exactly 0 or 1; a flag counts as
// set when its byte is non-zero. The texts are as the file holds them, empty
// where it holds none: their meaning is read where they are used.
struct Settings {
    std::uint8_t saveMode = Automatic;
    std::uint8_t autoCrop = 1;
    std::uint8_t includeCursor = 1;
    std::uint8_t checkerboard = 0;
    std::uint8_t copyToClipboard = 1;
    std::uint8_t timestampNames = 0; // names that never replace a file: the title, then the date and time
    std::uint8_t uiLanguage = 0;     // 0 follows Windows, 1 Chinese, 2 English
    std::wstring hotKey = {};        // as "Ctrl+Shift+F9" (shell/hot_key.h); empty: Ctrl+PrtSc
    std::wstring saveFolder = {};    // output/save_folder.h; empty: the program folder
};
