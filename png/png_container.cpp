#include "png/png_container.h"

#include "png/png_big_endian.h"
#include "png/png_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <new>

namespace {

// A chunk's length must fit in 31 bits; bands that compress to more are
// stored in several IDAT chunks, which a decoder reads as one stream.
constexpr std::size_t kMaxChunkData = std::size_t{1} << 30;

void AppendChunk(std::vector<std::uint8_t>& png, const char (&type)[5], const std::uint8_t* data, std::size_t size)
{
    AppendBigEndian(png, static_cast<std::uint32_t>(size));
    std::size_t const checked = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data, data + size);
    AppendBigEndian(png, static_cast<std::uint32_t>(crc32_z(0, png.data() + checked, png.size() - checked)));
}

void AppendPng(std::vector<std::uint8_t>& png, std::int32_t width, std::int32_t height,
               const std::vector<std::vector<std::uint8_t>>& imageData)
{
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.insert(png.end(), std::begin(kSignature), std::end(kSignature));

    std::vector<std::uint8_t> header;
    AppendBigEndian(header, static_cast<std::uint32_t>(width));
    AppendBigEndian(header, static_cast<std::uint32_t>(height));
    // Bit depth 8, colour type 6 (RGBA); deflate, adaptive filtering, no interlacing.
    header.insert(header.end(), {8, 6, 0, 0, 0});
    AppendChunk(png, "IHDR", header.data(), header.size());

    for (const std::vector<std::uint8_t>& piece : imageData)
        for (std::size_t offset = 0; offset < piece.size(); offset += kMaxChunkData)
            AppendChunk(png, "IDAT", piece.data() + offset, std::min(kMaxChunkData, piece.size() - offset));
    AppendChunk(png, "IEND", nullptr, 0);
}

} // namespace

bool EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, unsigned bandCount,
               std::vector<std::uint8_t>& png)
{
    try {
        std::vector<std::vector<std::uint8_t>> imageData;
        if (!DeflateImageData(pixels, width, height, bandCount, imageData))
            return false;
        png.clear();
        std::size_t size = 64;
        for (const std::vector<std::uint8_t>& piece : imageData)
            size += piece.size() + 12;
        png.reserve(size);
        AppendPng(png, width, height, imageData);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
