#include "output/png_writer.h"

#include "png_test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <random>
#include <vector>

#include <sys/resource.h>

namespace {

// Lowers the largest file this process may write, as a nearly full disk
// would, and puts it back afterwards. Past the limit writes fail with EFBIG
// instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(SavePngFile, WriteThatFailsPartWayKeepsTheOldFile)
{
    ScratchFolder folder;
    WriteBytes(folder / "out.png", "the previous capture");

    // Noise does not compress, so the file outgrows the limit mid-write.
    std::mt19937 random(7);
    std::vector<std::uint32_t> noise(256 * 256);
    for (std::uint32_t& pixel : noise)
        pixel = static_cast<std::uint32_t>(random());
    {
        FileSizeLimit const limit(64 * 1024);
        EXPECT_FALSE(SavePngFile(folder / "out.png", noise.data(), 256, 256));
    }

    EXPECT_EQ(ReadBytes(folder / "out.png"), "the previous capture");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.png"});
}

} // namespace
