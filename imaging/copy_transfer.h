#pragma once

#include <cstdint>
#include <span>

// What screen copies returned of greys painted at known levels: `copied[i]`
// for `painted[i]`. The levels rise, the first is 0, and there are two at
// least.
struct CopyTransfer {
    std::span<std::uint8_t const> painted;
    std::span<std::uint8_t const> copied;
    // How many steps a copy may stray from its level either way: the dither
    // a flat grey came back with.
    int noise = 0;
};
