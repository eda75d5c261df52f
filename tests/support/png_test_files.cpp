#include "tests/support/png_test_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::uint32_t Adler32(const std::string& bytes)
{
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : bytes) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

void PutBigEndian(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(value >> shift & 0xFF);
}

// Deflate's bits, least significant first within each byte.
class BitWriter {
public:
    void Put(std::uint32_t bits, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (used_ % 8 == 0)
                bytes_ += '\0';
            bytes_.back() = static_cast<char>(bytes_.back() | ((bits >> i & 1u) << (used_ % 8)));
            ++used_;
        }
    }
    // Huffman codes go most significant bit first.
    void PutCode(std::uint32_t code, int count)
    {
        for (int i = count - 1; i >= 0; --i)
            Put(code >> i & 1u, 1);
    }
    std::string& bytes() { return bytes_; }

private:
    std::string bytes_;
    std::uint64_t used_ = 0;
};

} // namespace

std::string ChunkBytes(const std::string& type, const std::string& data)
{
    std::string out;
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string const body = type + data;
    out += body;
    PutBigEndian(out, Crc32(body));
    return out;
}

std::string StoredZlib(const std::string& data)
{
    std::string out = "\x78\x01";
    std::size_t at = 0;
    do {
        std::size_t const length = std::min<std::size_t>(data.size() - at, 65535);
        bool const last = at + length == data.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>(~length >> 8 & 0xFF);
        out.append(data, at, length);
        at += length;
    } while (at < data.size());
    PutBigEndian(out, Adler32(data));
    return out;
}

std::string ZerosZlib(std::uint64_t count)
{
    BitWriter bits;
    bits.bytes() = "\x78\x01";
    bits.Put(1, 1);         // the last block
    bits.Put(1, 2);         // fixed Huffman codes
    bits.PutCode(0x30, 8);  // literal 0
    for (std::uint64_t left = count - 1; left > 0;) {
        if (left >= 258) {
            bits.PutCode(0xC5, 8); // length code 285: 258 bytes
            left -= 258;
        } else if (left >= 3) {
            // Length codes 257-264 copy 3-10 bytes and are 7 bits from 0000001.
            std::uint64_t const length = std::min<std::uint64_t>(left, 10);
            bits.PutCode(static_cast<std::uint32_t>(length - 2), 7);
            left -= length;
        } else {
            bits.PutCode(0x30, 8);
            --left;
            continue;
        }
        bits.PutCode(0, 5); // distance 1
    }
    bits.PutCode(0, 7); // end of block
    std::string out = bits.bytes();
    // Adler-32 of zeros: a stays 1, b grows by 1 per byte.
    PutBigEndian(out, static_cast<std::uint32_t>((count % 65521) << 16 | 1));
    return out;
}

std::string PngSignatureAndHeader(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType)
{
    return MakePngFromStream(width, height, bitDepth, colourType, "").substr(0, 8 + 12 + 13);
}

std::string MakePngFromStream(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType,
                              const std::string& zlib, const std::vector<PngChunk>& extra, int interlace)
{
    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += static_cast<char>(bitDepth);
    header += static_cast<char>(colourType);
    header += std::string(2, '\0'); // deflate, adaptive filtering
    header += static_cast<char>(interlace);

    std::string png = "\x89PNG\r\n\x1a\n" + ChunkBytes("IHDR", header);
    for (const PngChunk& chunk : extra)
        png += ChunkBytes(chunk.type, chunk.data);
    return png + ChunkBytes("IDAT", zlib) + ChunkBytes("IEND", "");
}

std::string MakePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType, const std::string& rows,
                    const std::vector<PngChunk>& extra)
{
    return MakePngFromStream(width, height, bitDepth, colourType, StoredZlib(rows), extra);
}

std::string WithBadChecksum(std::string png, std::size_t at)
{
    png[at] ^= 0x01;
    return png;
}

std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8(const std::filesystem::path& path)
{
    std::u8string const text = path.u8string();
    return std::string(text.begin(), text.end());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
