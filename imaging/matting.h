#pragma once

#include <cstdint>

// Turns a capture taken over an opaque black backdrop and one taken over an
// opaque white backdrop into one straight-alpha image, written over `white`.
// Only the blue, green and red bytes of the inputs are read; `black` is left
// unchanged. A count of 0 or less does nothing.
void RecoverAlpha(const std::uint32_t* black, std::uint32_t* white, std::int32_t count);
