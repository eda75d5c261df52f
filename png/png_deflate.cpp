#include "png/png_deflate.h"

#include "png/png_big_endian.h"

#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

namespace {

// Screenshots are flat areas, repeated rows and sharp text, which zlib's
// default level finds on its own in unfiltered rows: files within a third of
// libpng's defaults. A filter search costs more time than it saves in size,
// and a faster level more size than it saves in time; what is left to gain is
// the other cores.
constexpr int kLevel = 6;
constexpr int kMemLevel = 8; // zlib's default
// Bands are raw deflate streams: one zlib header and checksum wrap them all.
constexpr int kRawDeflate = -15;
// How far back deflate looks: all a band can need of the rows before it.
constexpr std::size_t kWindowBytes = 32768;
// Below about a megabyte of rows a thread costs more than it saves; past
// eight bands another thread and deflate state (a quarter megabyte) buy little.
constexpr std::uint64_t kMinBandBytes = std::uint64_t{1} << 20;
constexpr unsigned kMaxBands = 8;
// zlib counts its input in 32-bit units.
constexpr std::size_t kMaxInputPiece = std::size_t{1} << 30;
// Adler-32 sums are kept modulo this prime.
constexpr std::size_t kAdlerBase = 65521;

struct Image {
    const std::uint32_t* pixels;
    std::size_t width;

    std::size_t RowBytes() const { return 1 + width * 4; }
    const std::uint32_t* Row(std::int64_t y) const { return pixels + static_cast<std::size_t>(y) * width; }
};

struct Band {
    std::int64_t firstRow = 0, endRow = 0;
    bool last = false;
    std::vector<std::uint8_t> deflated;
    uLong adler = adler32_z(0, nullptr, 0);
    bool compressed = false;
};

// A row as PNG stores it: filter byte "none", then red, green, blue, alpha.
void ToPngRow(const Image& image, std::int64_t y, std::uint8_t* row)
{
    const std::uint32_t* const pixels = image.Row(y);
    *row++ = 0;
    for (std::size_t x = 0; x < image.width; ++x, row += 4) {
        std::uint32_t const p = pixels[x];
        row[0] = static_cast<std::uint8_t>(p >> 16);
        row[1] = static_cast<std::uint8_t>(p >> 8);
        row[2] = static_cast<std::uint8_t>(p);
        row[3] = static_cast<std::uint8_t>(p >> 24);
    }
}

// Compresses `size` bytes onto the end of `out`. With Z_SYNC_FLUSH or
// Z_FINISH everything compressed so far is in `out` afterwards.
bool Deflate(z_stream& stream, const std::uint8_t* data, std::size_t size, int flush, std::vector<std::uint8_t>& out)
{
    do {
        std::size_t const piece = std::min(size, kMaxInputPiece);
        stream.next_in = data;
        stream.avail_in = static_cast<uInt>(piece);
        data += piece;
        size -= piece;
        int const pieceFlush = size == 0 ? flush : Z_NO_FLUSH;
        // Output space left over means deflate has given all it has.
        do {
            std::uint8_t chunk[16384];
            stream.next_out = chunk;
            stream.avail_out = sizeof chunk;
            if (deflate(&stream, pieceFlush) == Z_STREAM_ERROR)
                return false;
            out.insert(out.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
        } while (stream.avail_out == 0);
    } while (size > 0);
    return true;
}

// The decoder reaches the band with the end of the previous one in its
// window; giving the compressor the same bytes lets the band's first rows
// refer back to them, as they could in a single pass.
bool PrimeWithRowsBefore(z_stream& stream, const Image& image, std::int64_t firstRow)
{
    std::size_t const rowBytes = image.RowBytes();
    std::int64_t const rows = std::min<std::int64_t>(firstRow, (kWindowBytes + rowBytes - 1) / rowBytes);
    std::vector<std::uint8_t> before(static_cast<std::size_t>(rows) * rowBytes);
    for (std::int64_t i = 0; i < rows; ++i)
        ToPngRow(image, firstRow - rows + i, before.data() + static_cast<std::size_t>(i) * rowBytes);
    std::size_t const length = std::min(before.size(), kWindowBytes);
    return deflateSetDictionary(&stream, before.data() + before.size() - length, static_cast<uInt>(length)) == Z_OK;
}

bool CompressRows(z_stream& stream, const Image& image, Band& band)
{
    if (band.firstRow > 0 && !PrimeWithRowsBefore(stream, image, band.firstRow))
        return false;
    // Every band but the last ends on a byte boundary without closing the
    // stream, so the next band's output can follow it directly.
    int const endFlush = band.last ? Z_FINISH : Z_SYNC_FLUSH;
    std::vector<std::uint8_t> row(image.RowBytes());
    for (std::int64_t y = band.firstRow; y < band.endRow; ++y) {
        ToPngRow(image, y, row.data());
        band.adler = adler32_z(band.adler, row.data(), row.size());
        if (!Deflate(stream, row.data(), row.size(), y + 1 < band.endRow ? Z_NO_FLUSH : endFlush, band.deflated))
            return false;
    }
    return true;
}

// Runs on a thread of its own, where an exception would end the program:
// running out of memory is a failed band like any other.
void CompressBand(const Image& image, Band& band)
{
    z_stream stream{};
    if (deflateInit2(&stream, kLevel, Z_DEFLATED, kRawDeflate, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    try {
        band.compressed = CompressRows(stream, image, band);
    } catch (const std::exception&) {
        band.compressed = false;
    }
    deflateEnd(&stream);
}

void CompressBandsAtOnce(const Image& image, std::vector<Band>& bands)
{
    // jthreads: every band's thread is joined before the bands are read, on
    // every way out.
    std::vector<std::jthread> threads;
    threads.reserve(bands.size() - 1);
    for (std::size_t i = 1; i < bands.size(); ++i) {
        try {
            threads.emplace_back(CompressBand, std::cref(image), std::ref(bands[i]));
        } catch (const std::system_error&) {
            // No thread to be had: slower, but the capture is still saved.
            CompressBand(image, bands[i]);
        }
    }
    CompressBand(image, bands[0]);
}

bool DeflateInBands(const Image& image, std::int64_t height, unsigned bandCount,
                    std::vector<std::vector<std::uint8_t>>& stream)
{
    auto const count = static_cast<std::size_t>(std::clamp<std::int64_t>(bandCount, 1, height));
    std::vector<Band> bands(count);
    for (std::size_t i = 0; i < count; ++i) {
        bands[i].firstRow = height * static_cast<std::int64_t>(i) / static_cast<std::int64_t>(count);
        bands[i].endRow = height * static_cast<std::int64_t>(i + 1) / static_cast<std::int64_t>(count);
    }
    bands.back().last = true;
    // zlib header: deflate with a 32 KiB window at the default level.
    bands.front().deflated = {0x78, 0x9C};

    CompressBandsAtOnce(image, bands);

    uLong adler = bands.front().adler;
    for (std::size_t i = 0; i < bands.size(); ++i) {
        if (!bands[i].compressed)
            return false;
        std::size_t const rawBytes = static_cast<std::size_t>(bands[i].endRow - bands[i].firstRow) * image.RowBytes();
        // Combining depends on the length only modulo the prime, which keeps
        // it within z_off_t wherever long is 32 bits.
        if (i > 0)
            adler = adler32_combine(adler, bands[i].adler, static_cast<z_off_t>(rawBytes % kAdlerBase));
    }
    AppendBigEndian(bands.back().deflated, static_cast<std::uint32_t>(adler));

    stream.clear();
    for (Band& band : bands)
        stream.push_back(std::move(band.deflated));
    return true;
}

} // namespace

bool DeflateImageData(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, unsigned bandCount,
                      std::vector<std::vector<std::uint8_t>>& stream)
{
    if (width <= 0 || height <= 0)
        return false;
    try {
        return DeflateInBands(Image{pixels, static_cast<std::size_t>(width)}, height, bandCount, stream);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

unsigned DefaultBandCount(std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0)
        return 1;
    std::uint64_t const rawBytes = (1 + std::uint64_t{4} * static_cast<std::uint64_t>(width)) * static_cast<std::uint64_t>(height);
    unsigned const cores = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::clamp<std::uint64_t>(rawBytes / kMinBandBytes, 1, std::min(cores, kMaxBands)));
}
