#pragma once

#include "png/png_reader.h"

#include <cstddef>
#include <cstdint>

// A PNG's chunks, checked as the file's bytes go past: the reader's limits
// and its refusal of damaged files, the same on every platform and ahead of
// whichever decoder then reads the pixels.

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
    bool interlaced = false;
};

// Bits of one pixel in the file: its samples times the bit depth.
std::uint32_t BitsPerPixel(const PngHeader& header);

// What one decode holds at once, in bytes, from the header alone: the decoded
// image at 4 bytes a pixel, one decoded row beside it, and the decoder's
// current and previous row of the file's samples, each with its filter byte
// (the rows of an interlace pass are no wider).
std::uint64_t PngDecodeBytes(const PngHeader& header);

// Sees the image data (the contents of the IDAT chunks, in order) as the check
// passes them, for a check of the compressed stream.
class PngImageDataCheck {
public:
    virtual ~PngImageDataCheck() = default;
    // What is wrong with the data so far, or nullptr.
    virtual const char* Take(const PngHeader& header, const std::uint8_t* data, std::size_t size) = 0;
    // IEND is reached: what is wrong with the data as a whole, or nullptr.
    virtual const char* End(const PngHeader& header) = 0;
};

// Takes a file's bytes in order, in pieces of any size, and finds the first
// fault: no PNG signature; no sound IHDR chunk first; an image over
// kPngPixelLimit or kPngDecodeLimit; a chunk over the chunk limits, with a
// wrong checksum or of an unknown critical type; no IEND chunk, or anything
// after it. Keeps a few
// bytes of state and none of the data, so a file of any length is checked in
// constant memory.
class PngChunkCheck {
public:
    explicit PngChunkCheck(PngImageDataCheck* imageData = nullptr) : imageData_(imageData) {}

    // Takes the next `size` bytes. Returns false once the file is faulty.
    bool Take(const std::uint8_t* bytes, std::size_t size);
    // The file has ended. Returns false when it is incomplete.
    bool End();

    bool Failed() const { return result_.fault != PngFault::None; }
    const PngReadResult& result() const { return result_; }
    // Whether the signature and a sound, accepted header chunk have been taken.
    bool HasHeader() const { return haveHeader_; }
    const PngHeader& header() const { return header_; }
    // Whether IEND has been taken (with its checksum).
    bool Complete() const { return part_ == Part::AfterEnd; }

private:
    enum class Part { Signature, ChunkHead, ChunkData, ChunkChecksum, AfterEnd };

    bool Fail(PngFault fault, std::string detail);
    bool StartChunk();
    bool FinishChunk();
    bool AcceptHeader();
    std::string ChunkName() const;

    PngImageDataCheck* imageData_;
    PngReadResult result_;
    PngHeader header_;
    bool haveHeader_ = false;
    Part part_ = Part::Signature;
    std::uint8_t collected_[8] = {}; // a signature, chunk head or checksum, as it arrives
    std::size_t collectedSize_ = 0;
    std::uint8_t headerData_[13] = {};
    char type_[4] = {};
    std::uint32_t dataLeft_ = 0;
    std::uint32_t crc_ = 0;
    int otherChunks_ = 0; // chunks other than IDAT
};
