#pragma once

#include <cstdint>

// Where a finished capture goes: into the program folder under the captured
// window's title, or to the path the user picks in the Save dialog.
enum SaveMode : std::uint8_t {
    Automatic = 0,
    Manual = 1,
};
