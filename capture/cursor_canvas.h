#pragma once

#include <cstdint>

// A monochrome cursor drawn onto a zeroed 32-bit canvas leaves alpha 0 in every
// pixel. Each non-zero pixel with alpha 0 is replaced by its bitwise complement,
// which makes it opaque with inverted colour (white becomes opaque black); zero
// pixels stay transparent and pixels that already carry alpha are left alone.
// A count of 0 or less does nothing.
void ComplementMonochromeCanvas(std::uint32_t* pixels, std::int64_t count);
