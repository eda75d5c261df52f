#include "output/png_file.h"

#include "tests/support/png_test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <random>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

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

TEST(SavePngFile, ReplacedFileKeepsItsPermissions)
{
    ScratchFolder folder;
    WriteBytes(folder / "out.png", "the previous capture");
    ASSERT_EQ(chmod((folder / "out.png").c_str(), 0640), 0);

    std::uint32_t const pixel = 0xFF102030;
    ASSERT_TRUE(SavePngFile(folder / "out.png", &pixel, 1, 1));

    struct stat status {};
    ASSERT_EQ(stat((folder / "out.png").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

struct SpecialCase {
    const char* name;
    void (*make)(const std::filesystem::path& destination);
};

class SavePngToSpecialFile : public testing::TestWithParam<SpecialCase> {};

// rename() would put a regular file in place of the FIFO or the link itself.
TEST_P(SavePngToSpecialFile, IsRefusedAndLeavesItAsItWas)
{
    ScratchFolder folder;
    WriteBytes(folder / "kept.png", "kept");
    GetParam().make(folder / "out.png");
    std::filesystem::file_status const before = std::filesystem::symlink_status(folder / "out.png");
    std::vector<std::string> const entries = folder.Entries();

    std::uint32_t const pixel = 0xFF102030;
    EXPECT_FALSE(SavePngFile(folder / "out.png", &pixel, 1, 1));

    EXPECT_EQ(std::filesystem::symlink_status(folder / "out.png").type(), before.type());
    EXPECT_EQ(folder.Entries(), entries);
    EXPECT_EQ(ReadBytes(folder / "kept.png"), "kept");
}

INSTANTIATE_TEST_SUITE_P(Destinations, SavePngToSpecialFile, testing::Values(
    SpecialCase{"fifo", [](const std::filesystem::path& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
    SpecialCase{"link_to_a_file",
                [](const std::filesystem::path& path) { std::filesystem::create_symlink("kept.png", path); }},
    SpecialCase{"dangling_link",
                [](const std::filesystem::path& path) { std::filesystem::create_symlink("nowhere.png", path); }},
    SpecialCase{"link_to_null_device",
                [](const std::filesystem::path& path) { std::filesystem::create_symlink("/dev/null", path); }}),
    [](const testing::TestParamInfo<SpecialCase>& info) { return info.param.name; });

} // namespace
