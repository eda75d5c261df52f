#include "output/png_reader.h"

#include "output/png_pixel_rows.h"

#include <spng.h>

#include <cstdint>
#include <cstdio>

namespace {

// Ancillary chunks are skipped, but a hostile file could still ask for huge
// text or profile caches; no image of ours needs more than this.
constexpr std::size_t kChunkLimit = std::size_t{64} << 20;

bool DecodeRgba(spng_ctx* png, std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height)
{
    spng_ihdr header{};
    if (spng_set_chunk_limits(png, kChunkLimit, kChunkLimit) != 0 || spng_get_ihdr(png, &header) != 0)
        return false;
    if (static_cast<std::uint64_t>(header.width) * header.height > INT32_MAX)
        return false;

    std::size_t size = 0;
    if (spng_decoded_image_size(png, SPNG_FMT_RGBA8, &size) != 0)
        return false;
    std::vector<std::uint32_t> decoded;
    if (!TryAllocatePixels(decoded, static_cast<std::size_t>(header.width) * header.height) ||
        size != decoded.size() * sizeof decoded[0])
        return false;
    // SPNG_DECODE_TRNS turns a grey or truecolour image's transparent colour
    // into alpha 0, as a palette's transparency always is.
    if (spng_decode_image(png, decoded.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0)
        return false;
    SwapRedAndBlue(decoded.data(), decoded.data(), decoded.size());

    pixels.swap(decoded);
    width = static_cast<std::int32_t>(header.width);
    height = static_cast<std::int32_t>(header.height);
    return true;
}

} // namespace

bool ReadPng(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, std::int32_t& width,
             std::int32_t& height)
{
    std::FILE* const file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    spng_ctx* const png = spng_ctx_new(0);
    bool const read = png != nullptr && spng_set_png_file(png, file) == 0 && DecodeRgba(png, pixels, width, height);
    spng_ctx_free(png);
    std::fclose(file);
    return read;
}
