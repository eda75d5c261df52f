#include "png/png_reader_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} << 10;

} // namespace

CheckedPngFile::CheckedPngFile(PngImageDataCheck* imageData) : check_(imageData), buffer_(kBufferSize) {}

CheckedPngFile::~CheckedPngFile()
{
    Close();
}

void CheckedPngFile::Pass(const std::uint8_t* bytes, std::ptrdiff_t size)
{
    if (size > 0) {
        check_.Take(bytes, static_cast<std::size_t>(size));
    } else if (size == 0) {
        ended_ = true;
        check_.End();
    }
}

std::size_t CheckedPngFile::Read(std::uint8_t* to, std::size_t size)
{
    std::size_t done = 0;
    while (done < size && !Stopped()) {
        if (bufferStart_ == bufferEnd_) {
            // Large reads go straight to their destination.
            if (size - done >= buffer_.size()) {
                std::ptrdiff_t const count = ReadSome(to + done, size - done);
                Pass(to + done, count);
                done += count > 0 ? static_cast<std::size_t>(count) : 0;
                continue;
            }
            std::ptrdiff_t const count = ReadSome(buffer_.data(), buffer_.size());
            if (count <= 0) {
                Pass(nullptr, count);
                continue;
            }
            bufferStart_ = 0;
            bufferEnd_ = static_cast<std::size_t>(count);
            checkedEnd_ = 0;
        }
        std::size_t const count = std::min(size - done, bufferEnd_ - bufferStart_);
        std::memcpy(to + done, buffer_.data() + bufferStart_, count);
        // Bytes that ReadHeader checked ahead go on unchecked.
        std::size_t const unchecked = std::max(bufferStart_, checkedEnd_);
        bufferStart_ += count;
        if (bufferStart_ > unchecked)
            Pass(buffer_.data() + unchecked, static_cast<std::ptrdiff_t>(bufferStart_ - unchecked));
        done += count;
    }
    return done;
}

PngReadResult CheckedPngFile::ReadHeader()
{
    // The signature, then IHDR's length, type, 13 bytes of data and checksum.
    std::size_t const headerSize = 8 + 4 + 4 + 13 + 4;
    std::ptrdiff_t count = 1;
    while (bufferEnd_ < headerSize && count > 0) {
        count = ReadSome(buffer_.data() + bufferEnd_, buffer_.size() - bufferEnd_);
        bufferEnd_ += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    checkedEnd_ = std::min(bufferEnd_, headerSize);
    check_.Take(buffer_.data(), checkedEnd_);
    if (count <= 0)
        Pass(nullptr, count);
    return result();
}

PngReadResult CheckedPngFile::ReadToEnd()
{
    std::uint8_t piece[16 << 10];
    while (Read(piece, sizeof piece) == sizeof piece) {
    }
    return result();
}

PngReadResult ReadPngSize(const std::filesystem::path& path, std::int32_t& width, std::int32_t& height)
{
    CheckedPngFile file;
    PngReadResult result = file.Open(path);
    if (result.fault == PngFault::None)
        result = file.ReadHeader();
    if (result.fault == PngFault::None) {
        width = static_cast<std::int32_t>(file.check().header().width);
        height = static_cast<std::int32_t>(file.check().header().height);
    }
    return result;
}

PngReadResult DecodePng(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                        std::int32_t& height)
{
    DecodedPng image;
    PngReadResult result;
    try {
        result = DecodeCheckedPng(path, image);
    } catch (const std::bad_alloc&) {
        result = {PngFault::OutOfMemory,
                  image.width == 0 ? "" : std::to_string(image.width) + "x" + std::to_string(image.height)};
    }
    if (result.fault == PngFault::None) {
        pixels.swap(image.pixels);
        width = static_cast<std::int32_t>(image.width);
        height = static_cast<std::int32_t>(image.height);
    }
    return result;
}
