#pragma once

#include <cstdint>
#include <filesystem>

// Writes `width` x `height` pixels (bytes blue, green, red, alpha; straight
// alpha; top row first) as an 8-bit RGBA PNG, every sample exactly as stored.
// The image goes to a temporary file beside `path` first and replaces `path`
// only once it is complete, so a save that fails part-way leaves whatever was
// at `path` untouched and no temporary file behind. On Windows, where no
// temporary file can be made beside `path`, the image is written to `path`
// directly rather than not at all. Returns whether the file was written. On
// Windows GDI+ must be running.
bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height);

// The capture's save: as SavePngFile, for a caller that has nothing to do
// about a failure.
#ifdef _WIN32
void WritePng(const wchar_t* path, const std::uint32_t* pixels, std::int32_t width, std::int32_t height);
#else
void WritePng(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
              std::int32_t height);
#endif
