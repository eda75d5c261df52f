// The portable PNG writer on a 4K capture of a synthetic window, against
// libpng at its default settings in the same run: the time the user waits
// for a save, and what the file costs on disk.

#include "ratio_report.h"
#include "synthetic_capture.h"

#include "output/png_file.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr std::int32_t kWidth = 3840, kHeight = 2160, kMargin = 15;

std::vector<std::uint32_t> const& Capture()
{
    static std::vector<std::uint32_t> const matted = MakeSyntheticCapture(kWidth, kHeight, kMargin).matted;
    return matted;
}

std::filesystem::path const& Folder()
{
    static std::filesystem::path const folder = std::filesystem::temp_directory_path();
    return folder;
}

std::filesystem::path const kOurs = Folder() / "lucidframe-png-bench-ours.png";
std::filesystem::path const kLibpng = Folder() / "lucidframe-png-bench-libpng.png";

// libpng with nothing tuned: default zlib level and adaptive filtering; only
// told that the bytes come blue first, which it swaps on the fly.
bool WriteWithLibpng(const std::filesystem::path& path, const std::vector<std::uint32_t>& pixels)
{
    std::FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    // Set after setjmp and read after a possible longjmp: volatile keeps it.
    bool volatile written = false;
    if (png != nullptr && info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_set_bgr(png);
        for (std::int32_t y = 0; y < kHeight; ++y)
            png_write_row(png, reinterpret_cast<png_const_bytep>(pixels.data() + static_cast<std::size_t>(y) * kWidth));
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && written;
}

void OursEncode(benchmark::State& state)
{
    for (auto _ : state)
        if (!SavePngFile(kOurs, Capture().data(), kWidth, kHeight))
            state.SkipWithError("SavePngFile failed");
}

void LibpngEncode(benchmark::State& state)
{
    for (auto _ : state)
        if (!WriteWithLibpng(kLibpng, Capture()))
            state.SkipWithError("libpng failed");
}

} // namespace

int main(int argc, char** argv)
{
    Capture();
    benchmark::RegisterBenchmark("png_encode_time", OursEncode)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libpng_default_encode_time", LibpngEncode)->Unit(benchmark::kMillisecond);
    int const status = RunBenchmarksWithRatios(argc, argv, {{"png_encode_time", "libpng_default_encode_time"}});

    std::error_code error;
    auto const ours = std::filesystem::file_size(kOurs, error);
    auto const libpng = std::filesystem::file_size(kLibpng, error);
    if (!error && libpng > 0) {
        std::printf("png_encode_size %ju bytes, libpng default %ju bytes\n", static_cast<std::uintmax_t>(ours),
                    static_cast<std::uintmax_t>(libpng));
        std::printf("ratio png_encode_size %.3g\n", static_cast<double>(ours) / static_cast<double>(libpng));
    }
    std::filesystem::remove(kOurs, error);
    std::filesystem::remove(kLibpng, error);
    return status;
}
