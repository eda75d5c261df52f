#include "output/clipboard_image.h"

#include <cstring>
#include <limits>

namespace {

std::size_t const kV5HeaderSize = 124;
std::size_t const kInfoHeaderSize = 40;
std::uint32_t const kBiRgb = 0;
std::uint32_t const kBiBitfields = 3;
std::uint32_t const kLcsSrgb = 0x73524742;     // 'sRGB'
std::uint32_t const kLcsGmImages = 4;          // perceptual rendering intent

// Rows of `bitsPerPixel` padded to whole 32-bit words, times the rows.
std::size_t PixelBytes(std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel)
{
    if (width <= 0 || height <= 0)
        return 0;
    std::uint64_t const rowBytes = (static_cast<std::uint64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    std::uint64_t const bytes = rowBytes * static_cast<std::uint64_t>(height);
    // The header carries the size in 32 bits, and a block beyond 2 GiB is
    // more than any reader allocates.
    if (bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) - kV5HeaderSize)
        return 0;
    return static_cast<std::size_t>(bytes);
}

void Put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Put16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

// The fields the two headers share: BITMAPINFOHEADER, the start of both. A
// positive height says the rows run from the bottom up.
// A header of `headerSize` bytes and the pixels; 0 when there are none.
std::size_t BlockSize(std::size_t headerSize, std::int32_t width, std::int32_t height, std::uint32_t bitsPerPixel)
{
    std::size_t const bytes = PixelBytes(width, height, bitsPerPixel);
    return bytes == 0 ? 0 : headerSize + bytes;
}

void PutInfoHeader(std::uint8_t* block, std::size_t headerSize, std::int32_t width, std::int32_t height,
                   std::uint16_t bitsPerPixel, std::uint32_t compression, std::size_t imageBytes)
{
    std::memset(block, 0, headerSize);
    Put32(block + 0, static_cast<std::uint32_t>(headerSize));
    Put32(block + 4, static_cast<std::uint32_t>(width));
    Put32(block + 8, static_cast<std::uint32_t>(height));
    Put16(block + 12, 1);
    Put16(block + 14, bitsPerPixel);
    Put32(block + 16, compression);
    Put32(block + 20, static_cast<std::uint32_t>(imageBytes));
}

const std::uint32_t* RowFromTheBottom(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                      std::int32_t row)
{
    return pixels + static_cast<std::size_t>(height - 1 - row) * static_cast<std::size_t>(width);
}

} // namespace

std::size_t DibV5BlockSize(std::int32_t width, std::int32_t height)
{
    return BlockSize(kV5HeaderSize, width, height, 32);
}

void WriteDibV5Block(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::uint8_t* block)
{
    std::size_t const bytes = PixelBytes(width, height, 32);
    PutInfoHeader(block, kV5HeaderSize, width, height, 32, kBiBitfields, bytes);
    Put32(block + 40, 0x00FF0000);  // red mask
    Put32(block + 44, 0x0000FF00);  // green mask
    Put32(block + 48, 0x000000FF);  // blue mask
    Put32(block + 52, 0xFF000000);  // alpha mask
    Put32(block + 56, kLcsSrgb);
    Put32(block + 108, kLcsGmImages);
    std::uint8_t* out = block + kV5HeaderSize;
    for (std::int32_t row = 0; row < height; ++row) {
        const std::uint32_t* in = RowFromTheBottom(pixels, width, height, row);
        for (std::int32_t x = 0; x < width; ++x, out += 4)
            Put32(out, (in[x] >> 24) == 0 ? 0 : in[x]);
    }
}

std::size_t DibBlockSize(std::int32_t width, std::int32_t height)
{
    return BlockSize(kInfoHeaderSize, width, height, 24);
}

void WriteDibBlock(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, std::uint8_t* block)
{
    std::size_t const bytes = PixelBytes(width, height, 24);
    PutInfoHeader(block, kInfoHeaderSize, width, height, 24, kBiRgb, bytes);
    std::size_t const rowBytes = bytes / static_cast<std::size_t>(height);
    std::uint8_t* rowStart = block + kInfoHeaderSize;
    for (std::int32_t row = 0; row < height; ++row, rowStart += rowBytes) {
        const std::uint32_t* in = RowFromTheBottom(pixels, width, height, row);
        std::uint8_t* out = rowStart;
        for (std::int32_t x = 0; x < width; ++x, out += 3) {
            std::uint32_t const flat = OverWhite(in[x]);
            out[0] = static_cast<std::uint8_t>(flat);
            out[1] = static_cast<std::uint8_t>(flat >> 8);
            out[2] = static_cast<std::uint8_t>(flat >> 16);
        }
        std::memset(out, 0, static_cast<std::size_t>(rowStart + rowBytes - out));
    }
}

std::uint32_t OverWhite(std::uint32_t pixel)
{
    std::uint32_t const alpha = pixel >> 24;
    std::uint32_t result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        std::uint32_t const colour = (pixel >> shift) & 0xFF;
        result |= ((colour * alpha + 255 * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}
