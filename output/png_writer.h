#pragma once

#include <cstdint>
#include <filesystem>

// Writes `width` x `height` pixels (bytes blue, green, red, alpha; straight
// alpha; top row first) as an 8-bit RGBA PNG, every sample exactly as stored.
// The image goes to a temporary file beside `path` first and replaces `path`
// only once it is complete, so a save that fails part-way leaves whatever was
// at `path` untouched and no temporary file behind. On Windows, where no
// temporary file can be made beside `path`, the image is written to `path`
// directly rather than not at all. There, a program that holds the new file
// without delete sharing (a virus scanner, a search indexer, a sync client)
// is waited for, about two seconds at most, before the temporary file replaces
// `path` or is removed; when it holds on longer, the complete image is written
// over `path` directly and the temporary file is removed all the same. On
// POSIX systems a `path` that exists and is not a regular file (a folder,
// FIFO, device or symbolic link) is refused and left as it is, and a regular
// file that is replaced passes its permissions on to the new one. Returns whether the file was written. On
// Windows GDI+ must be running.
bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height);

#ifdef _WIN32
// The capture's save: as SavePngFile, for a caller that has nothing to do
// about a failure.
void WritePng(const wchar_t* path, const std::uint32_t* pixels, std::int32_t width, std::int32_t height);
#endif

// For a program that is being stopped and ends right after this call: removes
// the temporary file of the save under way, if there is one, so that nothing
// is left beside its destination. It may be called from a POSIX signal
// handler; on Windows, from a console control handler's thread, where it waits
// while GDI+ is writing the file and holds every save back from then on.
void RemoveUnfinishedSave();

// For tests: `hook` runs in every save while its temporary file exists, before
// it replaces the destination. nullptr for none.
void SetSaveHookForTesting(void (*hook)());
