#include "output/png_file.h"

#include "png/png_writer.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <random>
#include <vector>

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The name of the temporary file of the save under way, for a signal handler.
std::atomic<const char*> unfinishedSave{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free, "read by a signal handler");
void (*saveHook)() = nullptr;

// Blocks every signal for its lifetime, so that a handler never finds a
// temporary file whose name is not yet registered, nor a registered name
// that has already become the destination's.
class SignalsBlocked {
public:
    SignalsBlocked()
    {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &saved_);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t saved_;
};

// A short name of its own in the destination's folder, so the final rename
// stays within one file system and fits wherever the destination's name fits.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& path)
{
    char name[32];
    std::snprintf(name, sizeof name, ".lucidframe-%08x.tmp", static_cast<unsigned>(std::random_device{}()));
    return path.parent_path() / name;
}

} // namespace

bool SavePngFile(const std::filesystem::path& path, const std::uint32_t* pixels, std::int32_t width,
                 std::int32_t height)
{
    // Looked at without following a final symbolic link: rename would
    // replace the link, or a device node, with a regular file.
    struct stat destination {};
    bool const replaces = lstat(path.c_str(), &destination) == 0;
    if (replaces ? !S_ISREG(destination.st_mode) : errno != ENOENT)
        return false;
    // The whole file is built in memory first, so nothing is written unless
    // encoding succeeded.
    std::vector<std::uint8_t> const png = EncodePng(pixels, width, height);
    if (png.empty())
        return false;

    std::filesystem::path const temporary = TemporaryPathBeside(path);
    std::FILE* file = nullptr;
    {
        SignalsBlocked const blocked;
        // "x": never take over a file that happens to have the same name.
        file = std::fopen(temporary.c_str(), "wbx");
        if (file != nullptr)
            unfinishedSave = temporary.c_str();
    }
    if (file == nullptr)
        return false;
    bool saved = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    if (replaces)
        saved = fchmod(fileno(file), destination.st_mode & 0777) == 0 && saved;
    if (saveHook != nullptr)
        saveHook();
    // Closing flushes the last bytes: a full disk may only show here.
    saved = std::fclose(file) == 0 && saved;

    SignalsBlocked const blocked;
    if (saved)
        saved = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!saved)
        unlink(temporary.c_str());
    unfinishedSave = nullptr;
    return saved;
}

// Only unlink, which is async-signal-safe; the caller ends the process.
void RemoveUnfinishedSave()
{
    if (const char* temporary = unfinishedSave.load())
        unlink(temporary);
}

void SetSaveHookForTesting(void (*hook)())
{
    saveHook = hook;
}
