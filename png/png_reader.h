#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// PNG files from outside are read with their limits taken first: the size in
// the header is checked before anything is allocated for the pixels, and a
// file that is damaged anywhere, up to its last byte, is refused.

// The most pixels an image may have: 16384 x 16384, four bytes each once
// decoded (1 GiB). Larger images are refused from their header alone.
inline constexpr std::uint64_t kPngPixelLimit = std::uint64_t{1} << 28;

// The most one decode may take at once: the largest image, and 64 MiB for the
// rows beside it (PngDecodeBytes). An image within the pixel limit can still
// have rows so long that they alone would take gigabytes: 268435456 x 1.
inline constexpr std::uint64_t kPngDecodeLimit = (std::uint64_t{1} << 30) + (std::uint64_t{64} << 20);

// No image of ours needs a chunk other than image data this long, or this many
// such chunks; a hostile file could otherwise have the decoder cache text or
// profiles without end.
inline constexpr std::uint32_t kPngChunkLimit = std::uint32_t{64} << 20;
inline constexpr int kPngChunkCountLimit = 1000;

// What made a read fail.
enum class PngFault {
    None,
    Missing,        // no such file
    NotRegularFile, // a folder, FIFO, device or other special file, refused unread
    Unreadable,     // the operating system refused to open or read it
    NotPng,         // does not start with the PNG signature
    Damaged,        // any fault after the signature: checksums, lengths, data
    TooLarge,       // over kPngPixelLimit, kPngDecodeLimit or the chunk limits
    OutOfMemory,
};

struct PngReadResult {
    PngFault fault = PngFault::None;
    std::string detail; // what exactly, for the message: "46340x46340, limit 268435456 pixels"
};

// Reads only the signature and the header chunk: the image's size, checked
// against kPngPixelLimit. Cheap whatever the file declares, so two inputs can
// be compared before either is decoded. `width` and `height` are set only on
// success.
PngReadResult ReadPngSize(const std::filesystem::path& path, std::int32_t& width, std::int32_t& height);

// Decodes the PNG file at `path`, whatever its colour type and bit depth, into
// 8-bit pixels laid out as bytes blue, green, red, alpha with straight alpha,
// top row first. Every chunk's checksum is verified, the file must end with
// IEND and hold nothing after it. On failure the outputs are left unchanged.
// On Windows GDI+ must be running.
PngReadResult DecodePng(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                        std::int32_t& height);

// DecodePng for a caller that needs only to know whether it worked.
inline bool ReadPng(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                    std::int32_t& height)
{
    return DecodePng(path, pixels, width, height).fault == PngFault::None;
}
