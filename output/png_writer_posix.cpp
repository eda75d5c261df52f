#include "output/png_writer.h"

#include "output/png_deflate.h"
#include "output/png_encode.h"

#include <cstdio>
#include <random>
#include <system_error>
#include <vector>

// A capture is written while the user waits, and deflate is nearly all of
// that wait. The PNG is therefore written directly on zlib, which libspng's
// encoder does not allow: the image is compressed in bands of rows on every
// core at once, each band primed with the end of the one before, into one
// standard stream hardly bigger than a single pass makes. The whole file is
// built in memory, about the size of the compressed image, so nothing is
// written unless encoding succeeded.

namespace {

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
    std::vector<std::uint8_t> png;
    if (!EncodePng(pixels, width, height, DefaultBandCount(width, height), png))
        return false;
    std::filesystem::path const temporary = TemporaryPathBeside(path);
    // "x": never take over a file that happens to have the same name.
    std::FILE* const file = std::fopen(temporary.c_str(), "wbx");
    if (file == nullptr)
        return false;
    bool saved = std::fwrite(png.data(), 1, png.size(), file) == png.size();
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
