#include "output/png_writer.h"

#include "output/png_pixel_rows.h"

#include <spng.h>

#include <cstdio>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace {

// A capture is written while the user waits. Screenshots are flat areas,
// repeated rows and sharp text, which zlib's default level finds on its own:
// unfiltered rows at level 6 give files within 30% of libpng's defaults in
// under half its time. A filter search costs more time than it saves in size,
// and a faster level more size than it saves in time.
constexpr int kCompressionLevel = 6;
constexpr int kFilter = SPNG_FILTER_CHOICE_NONE;

bool EncodeRows(spng_ctx* png, const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    spng_ihdr header{};
    header.width = static_cast<std::uint32_t>(width);
    header.height = static_cast<std::uint32_t>(height);
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (spng_set_ihdr(png, &header) != 0 || spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, kCompressionLevel) != 0 ||
        spng_set_option(png, SPNG_FILTER_CHOICE, kFilter) != 0)
        return false;
    if (spng_encode_image(png, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) != 0)
        return false;

    // One row at a time in PNG's red-first order, so the buffer is never
    // copied whole.
    std::vector<std::uint32_t> row(static_cast<std::size_t>(width));
    for (std::int32_t y = 0; y < height; ++y) {
        SwapRedAndBlue(pixels + static_cast<std::size_t>(y) * row.size(), row.data(), row.size());
        int const status = spng_encode_row(png, row.data(), row.size() * sizeof row[0]);
        // The last row reports the end of the image rather than success.
        if (status != 0 && !(status == SPNG_EOI && y == height - 1))
            return false;
    }
    return true;
}

bool EncodeToFile(std::FILE* file, const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    spng_ctx* const png = spng_ctx_new(SPNG_CTX_ENCODER);
    if (png == nullptr)
        return false;
    bool const encoded = spng_set_png_file(png, file) == 0 && EncodeRows(png, pixels, width, height);
    spng_ctx_free(png);
    return encoded;
}

// A short name of its own in the destination's folder, so the final rename
// stays within one file system and fits wherever the destination's name fits.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path)
{
    char name[32];
    std::snprintf(name, sizeof name, ".lucidframe-%08x.tmp", static_cast<unsigned>(std::random_device{}()));
    return path.parent_path() / name;
}

} // namespace

bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height)
{
    if (width <= 0 || height <= 0)
        return false;
    std::filesystem::path const temporary = TemporaryPathBeside(path);
    // "x": never take over a file that happens to have the same name.
    std::FILE* const file = std::fopen(temporary.c_str(), "wbx");
    if (file == nullptr)
        return false;
    bool saved = EncodeToFile(file, pixels, width, height);
    // Closing flushes the last bytes: a full disk may only show here.
    saved = std::fclose(file) == 0 && saved;

    std::error_code error;
    if (saved) {
        std::filesystem::rename(temporary, path, error);
        saved = !error;
    }
    if (!saved)
        std::filesystem::remove(temporary, error);
    return saved;
}

void WritePng(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    SavePngFile(path, pixels, width, height);
}
