// lucidframe-matte run as a real process, the way scripts use it.
#include "png/png_reader.h"

#include "matte_run.h"
#include "tests/support/png_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The file the case's arguments name after -o or --output.
std::string OutputName(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == "-o" || arguments[i] == "--output")
            return arguments[i + 1];
    return "";
}

std::string Rgb(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

// 4 x 3 captures: a transparent border around two opaque red pixels and two
// red pixels at alpha 128 (0x80 over black, 0xFF, 0x7F, 0x7F over white).
std::string const kBlack = MakePng(4, 3, 8, 2,
    Rgb({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
         0, 0, 0, 0, 255, 0, 0, 128, 0, 0, 0, 0, 0,
         0, 0, 0, 0, 128, 0, 0, 255, 0, 0, 0, 0, 0}));
std::string const kWhite = MakePng(4, 3, 8, 2,
    Rgb({0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
         0, 255, 255, 255, 255, 0, 0, 255, 127, 127, 255, 255, 255,
         0, 255, 255, 255, 255, 127, 127, 255, 0, 0, 255, 255, 255}));

char const kBlackNonAscii[] = "\xe9\xbb\x91 \xc3\xa9.png"; // "黑 é.png"

constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;
constexpr std::uint32_t kHalfRed = 0x80FF0000;

struct ToolCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* message;     // a part of what the tool prints (errors and summary to stderr)
    bool toStandardOutput;   // help and version go to stdout
    std::int32_t width, height; // of out.png; 0 when nothing may be written
    std::vector<std::uint32_t> pixels; // of out.png, when given
    bool flattened = false;             // out.png was blended onto the checkerboard
};

class MatteTool : public testing::TestWithParam<ToolCase> {};

TEST_P(MatteTool, ExitsPrintsAndWritesAsExpected)
{
    ToolCase const& c = GetParam();
    ScratchFolder folder;
    WriteBytes(folder / "black.png", kBlack);
    WriteBytes(folder / PathFromUtf8(kBlackNonAscii), kBlack);
    WriteBytes(folder / "white.png", kWhite);
    WriteBytes(folder / "small.png", MakePng(2, 2, 8, 0, Rgb({0, 1, 2, 0, 3, 4})));
    WriteBytes(folder / "text.png", "not an image");
    std::vector<std::string> const inputs = folder.Entries();

    ProgramRun const run = RunMatte(folder, c.arguments);

    EXPECT_EQ(run.status, c.status) << run.err;
    std::string const& printed = c.toStandardOutput ? run.out : run.err;
    EXPECT_NE(printed.find(c.message), std::string::npos) << printed;
    if (c.status != 0) {
        // One line naming the problem; a usage error adds the usage line.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), c.status == 2 ? 2 : 1) << run.err;
    }
    EXPECT_EQ(ReadBytes(folder / "black.png"), kBlack);
    EXPECT_EQ(ReadBytes(folder / "white.png"), kWhite);

    if (c.width == 0) {
        EXPECT_EQ(folder.Entries(), inputs);
        return;
    }
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(ReadPng(folder / PathFromUtf8(OutputName(c.arguments)), pixels, width, height));
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    if (!c.pixels.empty()) {
        EXPECT_EQ(pixels, c.pixels);
    }
    if (c.flattened) {
        // The checkerboard blend leaves every byte, alpha included, at 254 at
        // most: nothing shows through any more.
        for (std::uint32_t pixel : pixels)
            EXPECT_GE(pixel >> 24, 0xFEu);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, MatteTool, testing::Values(
    ToolCase{"matte", {"black.png", "white.png", "-o", "out.png"}, 0,
             "4x3: 8 transparent, 2 translucent, 2 opaque pixels", false, 4, 3,
             {0, 0, 0, 0, 0, kOpaqueRed, kHalfRed, 0, 0, kHalfRed, kOpaqueRed, 0}},
    ToolCase{"crop", {"black.png", "white.png", "--crop", "-o", "out.png"}, 0,
             "2x2 (cropped from 4x3): 0 transparent, 2 translucent, 2 opaque pixels", false, 2, 2,
             {kOpaqueRed, kHalfRed, kHalfRed, kOpaqueRed}},
    ToolCase{"non_ascii_names", {kBlackNonAscii, "white.png", "-o", "\xe5\x87\xba.png"}, 0, "\xe5\x87\xba.png, 4x3",
             false, 4, 3, {0, 0, 0, 0, 0, kOpaqueRed, kHalfRed, 0, 0, kHalfRed, kOpaqueRed, 0}},
    ToolCase{"checkerboard", {"black.png", "white.png", "--checkerboard", "-o", "out.png"}, 0,
             "8 transparent, 2 translucent, 2 opaque", false, 4, 3, {}, true},
    ToolCase{"help", {"--help"}, 0, "usage: lucidframe-matte BLACK.png WHITE.png -o OUT.png", true, 0, 0, {}},
    ToolCase{"help_gives_the_limit", {"--help"}, 0, "at most 268435456 pixels (16384x16384) each", true, 0, 0, {}},
    ToolCase{"help_gives_the_decode_limit", {"--help"}, 0, "1088 MiB with its rows", true, 0, 0, {}},
    ToolCase{"version", {"--version"}, 0, "lucidframe-matte 1.", true, 0, 0, {}},
    ToolCase{"unknown_option", {"black.png", "white.png", "-o", "out.png", "--frob"}, 2, "unknown option --frob",
             false, 0, 0, {}},
    ToolCase{"missing_input", {"black.png", "gone.png", "-o", "out.png"}, 1, "gone.png: no such file", false, 0, 0, {}},
    ToolCase{"not_a_png", {"text.png", "white.png", "-o", "out.png"}, 1, "text.png: not a PNG file", false, 0, 0, {}},
    ToolCase{"sizes_differ", {"black.png", "small.png", "-o", "out.png"}, 1, "small.png differ in size: 4x3 and 2x2",
             false, 0, 0, {}},
    ToolCase{"output_is_black", {"black.png", "white.png", "-o", "black.png"}, 1, "same file as the input", false, 0,
             0, {}},
    ToolCase{"missing_folder", {"black.png", "white.png", "-o", "nowhere/out.png"}, 1, "does not exist", false, 0, 0,
             {}}),
    [](const testing::TestParamInfo<ToolCase>& info) { return info.param.name; });

} // namespace
