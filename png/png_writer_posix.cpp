#include "png/png_writer.h"

#include "png/png_container.h"
#include "png/png_deflate.h"

// A capture is written while the user waits, and deflate is nearly all of
// that wait. The PNG is therefore written directly on zlib, which libspng's
// encoder does not allow: the image is compressed in bands of rows on every
// core at once, each band primed with the end of the one before, into one
// standard stream hardly bigger than a single pass makes.
std::vector<std::uint8_t> EncodePng(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    std::vector<std::uint8_t> png;
    if (!EncodePng(pixels, width, height, DefaultBandCount(width, height), png))
        png.clear();
    return png;
}
