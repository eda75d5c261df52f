#include "matte.h"

#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "imaging/matting.h"
#include "png/png_reader.h"
#include "output/png_file.h"

#include <cinttypes>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

char const kUsage[] = "usage: lucidframe-matte BLACK.png WHITE.png -o OUT.png [--crop] [--checkerboard]\n";

char const kHelp[] =
    "Recovers a window's transparency from two screenshots of it, one taken over\n"
    "an opaque black backdrop and one over an opaque white backdrop, and writes\n"
    "one PNG with real alpha.\n"
    "\n"
    "  -o, --output OUT.png  the file to write (replaced if it exists)\n"
    "  --crop                cut away fully transparent borders\n"
    "  --checkerboard        flatten the result onto a white and grey checkerboard\n"
    "  -h, --help            show this text\n"
    "  --version             show the version\n"
    "\n"
    "The inputs may be PNGs of any colour type and bit depth, of the same size,\n"
    "at most 268435456 pixels (16384x16384) each. Decoding one may take at most\n"
    "1088 MiB with its rows. Both sizes are compared before either image is\n"
    "decoded. A chunk other than image data may hold at most\n"
    "64 MiB, and a file at most 1000 such chunks. Only regular files are read,\n"
    "and a damaged file (a wrong checksum, no IEND chunk or anything after it,\n"
    "too much or too little image data) is refused. OUT.png must be a regular\n"
    "file, not a symbolic link, or not exist yet; it keeps its permissions.\n"
    "\n"
    "On success one line on standard error gives the output's size and how many\n"
    "of its pixels the matte found transparent, translucent and opaque (counted\n"
    "before any checkerboard). Nothing is written when anything fails, and an\n"
    "interrupted run leaves no temporary file behind.\n"
    "Exit status: 0 on success, 1 on failure, 2 for a command-line error; when\n"
    "stopped, 130 (Ctrl+C), 143 (SIGTERM; Ctrl+Break on Windows) or 129 (SIGHUP).\n";

static_assert(kPngPixelLimit == 16384 * 16384 && kPngDecodeLimit == std::uint64_t{1088} << 20 &&
                  kPngChunkLimit == 64 << 20 && kPngChunkCountLimit == 1000,
              "the limits are given in the help text");

fs::path PathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const fs::path& path)
{
    std::u8string const text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The words for each fault, in the order of PngFault.
char const* const kFaultTexts[] = {
    "",                   // None
    "no such file",       // Missing
    "not a regular file", // NotRegularFile
    "cannot be read",     // Unreadable
    "not a PNG file",     // NotPng
    "damaged",            // Damaged
    "too large",          // TooLarge
    "out of memory",      // OutOfMemory
};
static_assert(std::size(kFaultTexts) == static_cast<std::size_t>(PngFault::OutOfMemory) + 1);

const char* FaultText(PngFault fault)
{
    return kFaultTexts[static_cast<std::size_t>(fault)];
}

// Pixels of a straight-alpha image by opacity.
struct AlphaCounts {
    std::int64_t transparent = 0;
    std::int64_t translucent = 0;
    std::int64_t opaque = 0;
};

AlphaCounts CountAlpha(const std::uint32_t* pixels, std::int64_t count)
{
    AlphaCounts counts;
    for (std::int64_t i = 0; i < count; ++i) {
        std::uint32_t const alpha = pixels[i] >> 24;
        if (alpha == 0)
            ++counts.transparent;
        else if (alpha == 255)
            ++counts.opaque;
        else
            ++counts.translucent;
    }
    return counts;
}

struct Image {
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class Matte {
public:
    Matte(const MatteOptions& options, std::FILE* err) : options_(options), err_(err) {}

    int Run()
    {
        fs::path const output = PathFromUtf8(options_.output);
        if (!CheckOutput(output))
            return kMatteFailure;
        // Both sizes first: a pair that cannot make a matte is refused for the
        // cost of two headers, whatever size either declares. The decoded
        // sizes are compared again, as the files may have changed meanwhile.
        Image black, white;
        if (!ReadSize(options_.black, black) || !ReadSize(options_.white, white) || !SameSize(black, white))
            return kMatteFailure;
        if (!Decode(options_.black, black) || !Decode(options_.white, white) || !SameSize(black, white))
            return kMatteFailure;

        RecoverAlpha(black.pixels.data(), white.pixels.data(), static_cast<std::int32_t>(white.pixels.size()));
        std::string const matteSize = SizeText(white);
        if (options_.crop)
            AutoCrop(white.pixels.data(), white.width, white.height);
        std::int64_t const kept = static_cast<std::int64_t>(white.width) * white.height;
        AlphaCounts const counts = CountAlpha(white.pixels.data(), kept);
        if (options_.checkerboard)
            CompositeOnCheckerboard(white.pixels.data(), white.width, white.height);

        if (!SavePngFile(output, white.pixels.data(), white.width, white.height)) {
            Fail(options_.output + ": cannot write the file");
            return kMatteFailure;
        }

        std::string cropped;
        if (options_.crop)
            cropped = SizeText(white) == matteSize ? " (nothing to crop)" : " (cropped from " + matteSize + ")";
        std::fprintf(err_,
                     "lucidframe-matte: wrote %s, %s%s: %" PRId64 " transparent, %" PRId64 " translucent, %" PRId64
                     " opaque pixels\n",
                     options_.output.c_str(), SizeText(white).c_str(), cropped.c_str(), counts.transparent,
                     counts.translucent, counts.opaque);
        return kMatteSuccess;
    }

private:
    // Checked before any decoding, so that a mistyped output costs nothing and
    // can never overwrite a capture. A special file, or a symbolic link, is
    // left alone: replacing it with a regular file would remove a device node
    // or a link that the user meant to keep.
    bool CheckOutput(const fs::path& output)
    {
        std::error_code error;
        for (std::string const* input : {&options_.black, &options_.white})
            if (fs::equivalent(output, PathFromUtf8(*input), error)) {
                Fail(options_.output + ": the output is the same file as the input " + *input);
                return false;
            }
        fs::path const folder = output.has_parent_path() ? output.parent_path() : fs::path(".");
        if (!fs::is_directory(folder, error)) {
            Fail(options_.output + ": folder " + Utf8FromPath(folder) + " does not exist");
            return false;
        }
        fs::file_status const status = fs::symlink_status(output, error);
        if (fs::exists(status) && !fs::is_regular_file(status)) {
            Fail(options_.output + ": exists and is not a regular file; it is left as it is");
            return false;
        }
        return true;
    }

    bool ReadSize(const std::string& name, Image& image)
    {
        return Succeeded(name, ReadPngSize(PathFromUtf8(name), image.width, image.height));
    }

    bool Decode(const std::string& name, Image& image)
    {
        return Succeeded(name, DecodePng(PathFromUtf8(name), image.pixels, image.width, image.height));
    }

    bool Succeeded(const std::string& name, const PngReadResult& result)
    {
        if (result.fault == PngFault::None)
            return true;
        std::string message = name + ": " + FaultText(result.fault);
        if (!result.detail.empty())
            message += " (" + result.detail + ")";
        Fail(message);
        return false;
    }

    bool SameSize(const Image& black, const Image& white)
    {
        if (black.width == white.width && black.height == white.height)
            return true;
        Fail(options_.black + " and " + options_.white + " differ in size: " + SizeText(black) + " and " +
             SizeText(white));
        return false;
    }

    void Fail(const std::string& message) { std::fprintf(err_, "lucidframe-matte: %s\n", message.c_str()); }

    static std::string SizeText(const Image& image)
    {
        return std::to_string(image.width) + "x" + std::to_string(image.height);
    }

    const MatteOptions& options_;
    std::FILE* err_;
};

} // namespace

int MatteMain(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    MatteCommand const command = ParseMatteArguments(arguments);
    switch (command.action) {
    case MatteAction::Help:
        std::fputs(kUsage, out);
        std::fputs("\n", out);
        std::fputs(kHelp, out);
        return kMatteSuccess;
    case MatteAction::Version:
        std::fputs("lucidframe-matte " LUCIDFRAME_VERSION "\n", out);
        return kMatteSuccess;
    case MatteAction::UsageError:
        std::fprintf(err, "lucidframe-matte: %s\n", command.error.c_str());
        std::fputs(kUsage, err);
        return kMatteUsageError;
    case MatteAction::Run:
        break;
    }
    return Matte(command.options, err).Run();
}
