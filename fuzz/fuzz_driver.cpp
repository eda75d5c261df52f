// Runs the fuzz target without libFuzzer, so that the test command can include
// a short, repeatable run:
//   imaging_fuzz [--random COUNT] [FILE...]
// replays each FILE (kept crashers, for instance) and then COUNT inputs made
// from a fixed seed.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "imaging_fuzz: cannot read %s\n", path);
        return false;
    }
    std::vector<std::uint8_t> const input{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return true;
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
    int replayed = 0, unreadable = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--random") == 0 && i + 1 < argc)
            randomCount = std::strtol(argv[++i], nullptr, 10);
        else
            ++(Replay(argv[i]) ? replayed : unreadable);
    }
    RunRandom(randomCount);
    std::printf("imaging_fuzz: %d files and %ld random inputs gave the same bytes on every path\n", replayed,
                randomCount);
    return unreadable == 0 ? 0 : 1;
}
