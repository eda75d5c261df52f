#include "png/png_reader.h"

#include "png/png_pixel_rows.h"
#include "png/png_reader_file.h"

#include <spng.h>
#include <zlib.h>

#include <cstdint>
#include <memory>

namespace {

// Bytes of inflated image data the header calls for: every row of every
// interlace pass is a filter byte and its packed samples.
std::uint64_t ImageDataSize(const PngHeader& header)
{
    std::uint64_t const bitsPerPixel = BitsPerPixel(header);
    auto const passSize = [&](std::uint32_t x0, std::uint32_t dx, std::uint32_t y0, std::uint32_t dy) {
        std::uint64_t const width = header.width > x0 ? (header.width - x0 + dx - 1) / dx : 0;
        std::uint64_t const height = header.height > y0 ? (header.height - y0 + dy - 1) / dy : 0;
        return width == 0 ? 0 : height * (1 + (width * bitsPerPixel + 7) / 8);
    };
    if (!header.interlaced)
        return passSize(0, 1, 0, 1);
    return passSize(0, 8, 0, 8) + passSize(4, 8, 0, 8) + passSize(0, 4, 4, 8) + passSize(2, 4, 0, 4) +
           passSize(0, 2, 2, 4) + passSize(1, 2, 0, 2) + passSize(0, 1, 1, 2);
}

// libspng stops inflating once it has every row, so it never sees image data
// that go on past the image, a stream cut before its checksum, or bytes after
// the stream. The image data are therefore inflated a second time as they go
// past, into a small scratch buffer, and must come to exactly the size the
// header calls for and end there with a sound checksum.
class InflatedSizeCheck final : public PngImageDataCheck {
public:
    InflatedSizeCheck() { ready_ = inflateInit(&stream_) == Z_OK; }
    ~InflatedSizeCheck() override { inflateEnd(&stream_); }
    InflatedSizeCheck(const InflatedSizeCheck&) = delete;
    InflatedSizeCheck& operator=(const InflatedSizeCheck&) = delete;

    const char* Take(const PngHeader& header, const std::uint8_t* data, std::size_t size) override
    {
        if (!ready_)
            return "image data that cannot be inflated";
        stream_.next_in = const_cast<Bytef*>(data);
        stream_.avail_in = static_cast<uInt>(size);
        while (stream_.avail_in > 0) {
            if (streamEnded_)
                return "bytes after the end of the compressed image data";
            stream_.next_out = scratch_;
            stream_.avail_out = sizeof scratch_;
            int const status = inflate(&stream_, Z_NO_FLUSH);
            inflated_ += sizeof scratch_ - stream_.avail_out;
            if (inflated_ > ImageDataSize(header))
                return "more image data than the image holds";
            if (status == Z_STREAM_END)
                streamEnded_ = true;
            else if (status != Z_OK)
                return "compressed image data that cannot be inflated";
        }
        return nullptr;
    }

    const char* End(const PngHeader& header) override
    {
        if (!streamEnded_ || inflated_ != ImageDataSize(header))
            return "image data that end before the image does";
        return nullptr;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
    bool streamEnded_ = false;
    std::uint64_t inflated_ = 0;
    Bytef scratch_[32 << 10];
};

int ReadThroughCheck(spng_ctx*, void* user, void* to, std::size_t size)
{
    auto& file = *static_cast<CheckedPngFile*>(user);
    if (file.Read(static_cast<std::uint8_t*>(to), size) == size)
        return 0;
    return file.result().fault == PngFault::None ? SPNG_IO_EOF : SPNG_IO_ERROR;
}

PngReadResult FromSpngError(int error)
{
    if (error == SPNG_EMEM)
        return {PngFault::OutOfMemory, ""};
    if (error == SPNG_ECHUNK_LIMITS)
        return {PngFault::TooLarge, "text or metadata over " + std::to_string(kPngChunkLimit) + " bytes"};
    return {PngFault::Damaged, spng_strerror(error)};
}

// Rows are decoded one at a time and appended to reserved memory, so memory
// is touched only as far as the file has data. An interlaced image's rows are
// complete only after its last pass: it is decoded whole, into memory that is
// filled beforehand.
int DecodeRows(spng_ctx* png, const spng_ihdr& header, std::vector<std::uint32_t>& pixels)
{
    // SPNG_DECODE_TRNS turns a grey or truecolour image's transparent colour
    // into alpha 0, as a palette's transparency always is.
    int const flags = SPNG_DECODE_TRNS;
    std::size_t const count = static_cast<std::size_t>(header.width) * header.height;
    pixels.reserve(count);
    if (header.interlace_method != SPNG_INTERLACE_NONE) {
        pixels.resize(count);
        if (int const error = spng_decode_image(png, pixels.data(), count * sizeof pixels[0], SPNG_FMT_RGBA8, flags))
            return error;
        SwapRedAndBlue(pixels.data(), pixels.data(), count);
        return 0;
    }

    if (int const error = spng_decode_image(png, nullptr, 0, SPNG_FMT_RGBA8, flags | SPNG_DECODE_PROGRESSIVE))
        return error;
    auto const row = std::make_unique_for_overwrite<std::uint32_t[]>(header.width);
    for (;;) {
        int const status = spng_decode_row(png, row.get(), header.width * sizeof row[0]);
        if (status != 0 && status != SPNG_EOI)
            return status;
        SwapRedAndBlue(row.get(), row.get(), header.width);
        pixels.insert(pixels.end(), row.get(), row.get() + header.width);
        if (status == SPNG_EOI)
            return 0;
    }
}

PngReadResult Decode(spng_ctx* png, CheckedPngFile& file, std::vector<std::uint32_t>& pixels)
{
    // The chunk check verifies every checksum, once; any side of an image
    // within the pixel limit is within it too.
    spng_set_png_stream(png, ReadThroughCheck, &file);
    spng_set_image_limits(png, static_cast<std::uint32_t>(kPngPixelLimit), static_cast<std::uint32_t>(kPngPixelLimit));
    spng_set_chunk_limits(png, kPngChunkLimit, kPngChunkLimit);
    spng_set_crc_action(png, SPNG_CRC_USE, SPNG_CRC_USE);
    spng_ihdr header{};
    int error = spng_get_ihdr(png, &header);
    if (error == 0)
        error = DecodeRows(png, header, pixels);
    if (error == 0)
        error = spng_decode_chunks(png);
    // A fault in the file reaches libspng only as a failed read.
    if (file.result().fault != PngFault::None)
        return file.result();
    if (error != 0)
        return FromSpngError(error);
    return file.ReadToEnd();
}

} // namespace

PngReadResult DecodeCheckedPng(const std::filesystem::path& path, DecodedPng& image)
{
    InflatedSizeCheck imageData;
    CheckedPngFile file(&imageData);
    // The header is checked before libspng reads it, so that the limit and
    // any fault in it are reported as on every other platform.
    PngReadResult result = file.Open(path);
    if (result.fault == PngFault::None)
        result = file.ReadHeader();
    if (result.fault != PngFault::None)
        return result;
    image.width = file.check().header().width;
    image.height = file.check().header().height;
    // The second inflation checks the stream's checksum; libspng need not.
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> const png(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32),
                                                                  spng_ctx_free);
    if (png == nullptr)
        return {PngFault::OutOfMemory, ""};
    return Decode(png.get(), file, image.pixels);
}
