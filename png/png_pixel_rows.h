#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Row copies and byte-order changes shared by the PNG readers and writers.

// Copies `height` rows of `rowBytes` bytes between images whose rows lie
// `targetStride` and `sourceStride` bytes apart (either may be negative for a
// bottom-up image); one block copy when both are packed.
inline void CopyRows(std::uint8_t* target, std::ptrdiff_t targetStride, const std::uint8_t* source,
                     std::ptrdiff_t sourceStride, std::size_t rowBytes, std::int32_t height)
{
    auto const packed = static_cast<std::ptrdiff_t>(rowBytes);
    if (targetStride == packed && sourceStride == packed) {
        std::memcpy(target, source, rowBytes * static_cast<std::size_t>(height));
        return;
    }
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(target + y * targetStride, source + y * sourceStride, rowBytes);
}

// Blue, green, red, alpha pixels to red, green, blue, alpha and back: the same
// exchange of the first and third byte either way. `from` and `to` may be the
// same memory.
inline void SwapRedAndBlue(const std::uint32_t* from, std::uint32_t* to, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t const p = from[i];
        to[i] = (p & 0xFF00FF00u) | (p >> 16 & 0xFFu) | (p & 0xFFu) << 16;
    }
}
