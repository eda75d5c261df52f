#include "output/png_file.h"

#include "output/file_replace_win32.h"
#include "png/png_writer.h"

#include <vector>

bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height)
{
    std::vector<std::uint8_t> const png = EncodePng(pixels, width, height);
    return !png.empty() && WriteFileReplacing(path, png, WhenHeld::Fail).written;
}
