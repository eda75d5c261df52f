#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"

// Hand-made PNG files for the PNG and matte tests. The
// files are assembled here byte by byte (stored deflate blocks, no filtering)
// so that the decoders under test are checked against an encoder that shares
// nothing with them.

struct PngChunk {
    std::string type;
    std::string data;
};

// A PNG with the given header fields and `rows`, each row being its filter
// byte followed by the packed samples; `extra` chunks go between IHDR and IDAT.
std::string MakePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType, const std::string& rows,
                    const std::vector<PngChunk>& extra = {});

// The same with the image data given as a zlib stream, and the interlace method.
std::string MakePngFromStream(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType,
                              const std::string& zlib, const std::vector<PngChunk>& extra = {}, int interlace = 0);

// The signature and an IHDR chunk, and nothing more.
std::string PngSignatureAndHeader(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType);

// One chunk: length, type, data and checksum.
std::string ChunkBytes(const std::string& type, const std::string& data);

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& data);

// A zlib stream of `count` (at least 1) zero bytes, about 160 times smaller:
// a literal zero, then copies of 258 bytes from one byte back.
std::string ZerosZlib(std::uint64_t count);

// The same bytes with one bit of the byte at `at` flipped: by default the last
// byte of the header chunk's checksum (signature 8, length 4, type 4, data 13).
std::string WithBadChecksum(std::string png, std::size_t at = 8 + 4 + 4 + 13 + 3);

// File names in tests are UTF-8 on every platform.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8(const std::filesystem::path& path);

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);
