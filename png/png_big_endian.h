#pragma once

#include <cstdint>
#include <vector>

// PNG stores every number of four bytes most significant byte first: chunk
// lengths and checksums, the image's width and height, zlib's checksum.

inline void AppendBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline std::uint32_t ReadBigEndian(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}
