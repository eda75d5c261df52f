// Runs a fuzz target without libFuzzer, so that the test command can include
// a short, repeatable run:
//   TARGET [--random COUNT] [--kept FOLDER] [FILE...]
// replays every file in FOLDER (the target's inputs kept in fuzz/crashers/,
// which must hold at least one) and each FILE, then COUNT inputs made from a
// fixed seed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return false;
    }
    std::vector<std::uint8_t> const input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return true;
}

// The files of `folder`, in name order so that every run replays them alike.
std::vector<std::filesystem::path> KeptInputs(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Inputs of every length up to a few kilobytes, lengths near the vector widths
// being as likely as any other.
void RunRandom(long count)
{
    std::mt19937 random(20261207);
    std::vector<std::uint8_t> input;
    for (long i = 0; i < count; ++i) {
        input.resize(random() % 4096);
        for (std::uint8_t& byte : input)
            byte = static_cast<std::uint8_t>(random());
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
}

} // namespace

int main(int argc, char** argv)
{
    long randomCount = 0;
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--random") == 0 && i + 1 < argc) {
            randomCount = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--kept") == 0 && i + 1 < argc) {
            std::vector<std::filesystem::path> const kept = KeptInputs(argv[++i]);
            if (kept.empty()) {
                std::fprintf(stderr, "no kept inputs in %s\n", argv[i]);
                return 1;
            }
            files.insert(files.end(), kept.begin(), kept.end());
        } else {
            files.push_back(argv[i]);
        }
    }
    int unreadable = 0;
    for (const std::filesystem::path& file : files)
        unreadable += Replay(file) ? 0 : 1;
    RunRandom(randomCount);
    std::printf("%zu files and %ld random inputs passed\n", files.size() - unreadable, randomCount);
    return unreadable == 0 ? 0 : 1;
}
