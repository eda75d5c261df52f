#pragma once

#include <cstdint>

#include "output/save_mode.h"

// The user's five options. Each byte is exactly 0 or 1; a flag counts as set
// when its byte is non-zero.
struct Settings {
    std::uint8_t saveMode = Automatic;
    std::uint8_t autoCrop = 1;
    std::uint8_t includeCursor = 1;
    std::uint8_t checkerboard = 0;
    std::uint8_t copyToClipboard = 1;
};
