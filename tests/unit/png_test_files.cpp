#include "png_test_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

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

void PutChunk(std::string& out, const std::string& type, const std::string& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::string const body = type + data;
    out += body;
    PutBigEndian(out, Crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
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

} // namespace

std::string MakePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType, const std::string& rows,
                    const std::vector<PngChunk>& extra)
{
    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += static_cast<char>(bitDepth);
    header += static_cast<char>(colourType);
    header += std::string(3, '\0'); // deflate, adaptive filtering, no interlace

    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    for (const PngChunk& chunk : extra)
        PutChunk(png, chunk.type, chunk.data);
    PutChunk(png, "IDAT", StoredZlib(rows));
    PutChunk(png, "IEND", "");
    return png;
}

std::string WithBadChecksum(std::string png)
{
    // The last byte of the IHDR chunk's checksum: signature 8, length 4,
    // type 4, data 13, checksum 4.
    png[8 + 4 + 4 + 13 + 3] ^= 0x01;
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

ScratchFolder::ScratchFolder()
{
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("lucidframe-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(Utf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}
