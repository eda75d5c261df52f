#include "png/png_reader_chunks.h"

#include "png/png_big_endian.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// The running checksum before its final inversion.
std::uint32_t UpdateCrc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        crc = kCrcTable[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return crc;
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool ValidDepth(std::uint8_t colourType, std::uint8_t bitDepth)
{
    switch (colourType) {
    case 0:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    case 2:
    case 4:
    case 6:
        return bitDepth == 8 || bitDepth == 16;
    default:
        return false;
    }
}

} // namespace

std::uint32_t BitsPerPixel(const PngHeader& header)
{
    static constexpr std::uint32_t kSamples[] = {1, 0, 3, 1, 2, 0, 4};
    return kSamples[header.colourType] * header.bitDepth;
}

std::uint64_t PngDecodeBytes(const PngHeader& header)
{
    std::uint64_t const decodedRow = std::uint64_t{4} * header.width;
    std::uint64_t const sampleRow = 1 + (std::uint64_t{header.width} * BitsPerPixel(header) + 7) / 8;
    return decodedRow * header.height + decodedRow + 2 * sampleRow;
}

bool PngChunkCheck::Take(const std::uint8_t* bytes, std::size_t size)
{
    while (size > 0 && !Failed()) {
        if (part_ == Part::AfterEnd)
            return Fail(PngFault::Damaged, "data after the IEND chunk");
        if (part_ == Part::ChunkData) {
            std::size_t const count = std::min<std::size_t>(size, dataLeft_);
            crc_ = UpdateCrc(crc_, bytes, count);
            if (std::memcmp(type_, "IHDR", 4) == 0)
                std::memcpy(headerData_ + (13 - dataLeft_), bytes, count);
            if (std::memcmp(type_, "IDAT", 4) == 0 && imageData_ != nullptr)
                if (const char* fault = imageData_->Take(header_, bytes, count))
                    return Fail(PngFault::Damaged, fault);
            bytes += count;
            size -= count;
            dataLeft_ -= static_cast<std::uint32_t>(count);
            if (dataLeft_ == 0)
                part_ = Part::ChunkChecksum;
            continue;
        }

        std::size_t const wanted = part_ == Part::Signature ? 8 : part_ == Part::ChunkHead ? 8 : 4;
        std::size_t const count = std::min(size, wanted - collectedSize_);
        std::memcpy(collected_ + collectedSize_, bytes, count);
        collectedSize_ += count;
        bytes += count;
        size -= count;
        if (collectedSize_ < wanted)
            continue;
        collectedSize_ = 0;
        if (part_ == Part::Signature) {
            if (std::memcmp(collected_, kSignature, 8) != 0)
                return Fail(PngFault::NotPng, "");
            part_ = Part::ChunkHead;
        } else if (part_ == Part::ChunkHead) {
            if (!StartChunk())
                return false;
        } else if (!FinishChunk()) {
            return false;
        }
    }
    return !Failed();
}

bool PngChunkCheck::End()
{
    if (Failed())
        return false;
    if (part_ == Part::AfterEnd)
        return true;
    if (part_ == Part::Signature)
        return Fail(PngFault::NotPng, "");
    return Fail(PngFault::Damaged, "the file ends before its IEND chunk");
}

bool PngChunkCheck::Fail(PngFault fault, std::string detail)
{
    result_.fault = fault;
    result_.detail = std::move(detail);
    return false;
}

std::string PngChunkCheck::ChunkName() const
{
    return std::string(type_, 4) + " chunk";
}

// The chunk's length and type are in `collected_`.
bool PngChunkCheck::StartChunk()
{
    std::uint32_t const length = ReadBigEndian(collected_);
    std::memcpy(type_, collected_ + 4, 4);
    if (!std::all_of(type_, type_ + 4, IsLetter))
        return Fail(PngFault::Damaged, "a chunk type that is not four letters");
    if (length > kMaxChunkLength)
        return Fail(PngFault::Damaged, "a chunk length over 2^31 - 1");

    bool const isHeader = std::memcmp(type_, "IHDR", 4) == 0;
    bool const isData = std::memcmp(type_, "IDAT", 4) == 0;
    bool const isEnd = std::memcmp(type_, "IEND", 4) == 0;
    if (isHeader != !haveHeader_)
        return Fail(PngFault::Damaged, haveHeader_ ? "a second IHDR chunk" : "no IHDR chunk first");
    if ((isHeader && length != 13) || (isEnd && length != 0))
        return Fail(PngFault::Damaged, ChunkName() + " of the wrong length");
    // A decoder must refuse a critical chunk (capital first letter) it does not know.
    bool const known = isHeader || isData || isEnd || std::memcmp(type_, "PLTE", 4) == 0;
    if (type_[0] >= 'A' && type_[0] <= 'Z' && !known)
        return Fail(PngFault::Damaged, "unknown critical chunk " + std::string(type_, 4));
    if (!isData) {
        if (length > kPngChunkLimit)
            return Fail(PngFault::TooLarge, ChunkName() + " of " + std::to_string(length) + " bytes, limit " +
                                                std::to_string(kPngChunkLimit) + " bytes");
        if (++otherChunks_ > kPngChunkCountLimit) {
            // Built piece by piece: "text" + std::string&& trips GCC 12's -Wrestrict for 32-bit targets.
            std::string detail = "more than ";
            detail += std::to_string(kPngChunkCountLimit);
            detail += " chunks besides the image data";
            return Fail(PngFault::TooLarge, detail);
        }
    }

    crc_ = UpdateCrc(0xFFFFFFFFu, collected_ + 4, 4);
    dataLeft_ = length;
    part_ = length > 0 ? Part::ChunkData : Part::ChunkChecksum;
    return true;
}

// The chunk's checksum is in `collected_`.
bool PngChunkCheck::FinishChunk()
{
    if (ReadBigEndian(collected_) != ~crc_)
        return Fail(PngFault::Damaged, "wrong checksum in the " + ChunkName());
    part_ = Part::ChunkHead;
    if (std::memcmp(type_, "IHDR", 4) == 0)
        return AcceptHeader();
    if (std::memcmp(type_, "IEND", 4) == 0) {
        part_ = Part::AfterEnd;
        if (imageData_ != nullptr)
            if (const char* fault = imageData_->End(header_))
                return Fail(PngFault::Damaged, fault);
    }
    return true;
}

// IHDR's data are in `headerData_`; its checksum was right.
bool PngChunkCheck::AcceptHeader()
{
    PngHeader header;
    header.width = ReadBigEndian(headerData_);
    header.height = ReadBigEndian(headerData_ + 4);
    header.bitDepth = headerData_[8];
    header.colourType = headerData_[9];
    header.interlaced = headerData_[12] == 1;
    if (header.width == 0 || header.height == 0 || header.width > kMaxChunkLength || header.height > kMaxChunkLength)
        return Fail(PngFault::Damaged, "an image size of " + std::to_string(header.width) + "x" +
                                           std::to_string(header.height));
    if (!ValidDepth(header.colourType, header.bitDepth) || headerData_[10] != 0 || headerData_[11] != 0 ||
        headerData_[12] > 1)
        return Fail(PngFault::Damaged, "an IHDR chunk with unknown colour type, depth or methods");
    std::string const size = std::to_string(header.width) + "x" + std::to_string(header.height);
    if (static_cast<std::uint64_t>(header.width) * header.height > kPngPixelLimit)
        return Fail(PngFault::TooLarge, size + ", limit " + std::to_string(kPngPixelLimit) + " pixels");
    if (std::uint64_t const decodeBytes = PngDecodeBytes(header); decodeBytes > kPngDecodeLimit)
        return Fail(PngFault::TooLarge, size + " needs " + std::to_string(decodeBytes) + " bytes to decode, limit " +
                                            std::to_string(kPngDecodeLimit) + " bytes");
    header_ = header;
    haveHeader_ = true;
    return true;
}
