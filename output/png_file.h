#pragma once

#include <cstdint>
#include <filesystem>

// Writes `width` x `height` pixels as a PNG file (png/png_writer.h). The
// image goes to a temporary file beside `path` first and replaces `path`
// only once it is complete, so a save that fails part-way leaves whatever was
// at `path` untouched and no temporary file behind. On Windows a program that
// holds `path` without delete sharing (a virus scanner, a search indexer, a
// sync client) is waited for, about two seconds at most; when it holds on
// longer, nothing is written and `path` keeps what it had. On POSIX systems a
// `path` that exists and is not a regular file (a folder, FIFO, device or
// symbolic link) is refused and left as it is, and a regular file that is
// replaced passes its permissions on to the new one. Returns whether the file
// was written. On Windows GDI+ must be running.
bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height);

// For a program that is being stopped and ends right after this call: removes
// the temporary file of the save under way, if there is one, so that nothing
// is left beside its destination. It may be called from a POSIX signal
// handler; on Windows, from a console control handler's thread, where it waits
// while GDI+ is writing the file and holds every save back from then on.
void RemoveUnfinishedSave();

// For tests: `hook` runs in every save while its temporary file exists, before
// it replaces the destination. nullptr for none.
void SetSaveHookForTesting(void (*hook)());
