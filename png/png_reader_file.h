#pragma once

#include "png/png_reader_chunks.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

// A PNG file read through its chunk check: every byte read passes the check
// once, in order, and reading stops at the first fault. The file is opened
// only if it is a regular file, so that a FIFO (whose reading would wait
// forever), a device or a folder is refused before a byte is read from it.
class CheckedPngFile {
public:
    explicit CheckedPngFile(PngImageDataCheck* imageData = nullptr);
    ~CheckedPngFile();
    CheckedPngFile(const CheckedPngFile&) = delete;
    CheckedPngFile& operator=(const CheckedPngFile&) = delete;

    // Fails with Missing, NotRegularFile or Unreadable. Platform code, as are
    // ReadSome and Close.
    PngReadResult Open(const std::filesystem::path& path);
    // Reads up to `size` bytes into `to`: fewer only at the end of the file,
    // at a read error or at a fault.
    std::size_t Read(std::uint8_t* to, std::size_t size);
    // Checks the file up to the end of the header chunk, before any Read: the
    // bytes are read ahead and checked, and Read then hands them on.
    PngReadResult ReadHeader();
    // Reads on to the end of the file.
    PngReadResult ReadToEnd();

    const PngChunkCheck& check() const { return check_; }
    // The first fault: a read error or what the check found.
    const PngReadResult& result() const { return readError_.fault != PngFault::None ? readError_ : check_.result(); }

private:
    // Reads at most `size` bytes: 0 at the end of the file, -1 after setting
    // readError_.
    std::ptrdiff_t ReadSome(std::uint8_t* to, std::size_t size);
    void Close();

    bool Stopped() const { return ended_ || result().fault != PngFault::None; }
    // Hands the result of ReadSome to the check.
    void Pass(const std::uint8_t* bytes, std::ptrdiff_t size);

    PngChunkCheck check_;
    PngReadResult readError_;
    bool ended_ = false;
    std::vector<std::uint8_t> buffer_;
    std::size_t bufferStart_ = 0;
    std::size_t bufferEnd_ = 0;
    std::size_t checkedEnd_ = 0; // of the buffer's bytes that ReadHeader checked
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int descriptor_ = -1;
#endif
};

// An image as the platform's decoder gives it: its size is set from the
// checked header before any memory is taken for its pixels.
struct DecodedPng {
    std::vector<std::uint32_t> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The platform's half of DecodePng (libspng or GDI+): the file at `path`,
// checked to its last byte, decoded into `image`. May throw std::bad_alloc.
PngReadResult DecodeCheckedPng(const std::filesystem::path& path, DecodedPng& image);
