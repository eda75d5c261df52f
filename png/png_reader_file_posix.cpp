#include "png/png_reader_file.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// O_NONBLOCK lets the open of a FIFO return at once, so that fstat can refuse
// it; for a regular file it changes nothing.
PngReadResult CheckedPngFile::Open(const std::filesystem::path& path)
{
    int const descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        int const error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return {PngFault::Missing, ""};
        return {PngFault::Unreadable, std::strerror(error)};
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return {PngFault::NotRegularFile, ""};
    }
    descriptor_ = descriptor;
    return {};
}

std::ptrdiff_t CheckedPngFile::ReadSome(std::uint8_t* to, std::size_t size)
{
    for (;;) {
        ssize_t const count = read(descriptor_, to, size);
        if (count >= 0)
            return count;
        if (errno != EINTR) {
            readError_ = {PngFault::Unreadable, std::strerror(errno)};
            return -1;
        }
    }
}

void CheckedPngFile::Close()
{
    if (descriptor_ >= 0)
        close(descriptor_);
    descriptor_ = -1;
}
