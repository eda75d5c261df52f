// lucidframe-matte against hostile and unusual files, run as a process: each
// is refused with its exit status and message, quickly and, where a file could
// make it allocate, within a few MiB of what the tool needs to start; nothing
// in the folder is changed or added.
#include "matte_run.h"
#include "tests/support/png_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

// What stands at a name before the run, when not a file of given bytes.
enum class Special { None, Folder, Fifo, LinkToZeroDevice, LinkToNullDevice, LinkToFile };

// Files are made when their case runs: some take a while.
using MakeFile = std::string (*)();

std::string const kRows(48 * (1 + 64 * 4), '\0');

// 64 x 48, fully transparent black: the other input, and a sound file to damage.
std::string Sound()
{
    static std::string const sound = MakePngFromStream(64, 48, 8, 6, ZerosZlib(kRows.size()));
    return sound;
}

struct HostileCase {
    const char* name;
    std::vector<std::string> arguments;
    MakeFile in;          // in.png
    Special inSpecial;    // in.png is this instead, when not None
    Special outSpecial;   // out.png is this before the run
    const char* message;  // a part of the one line on standard error; the exit status is 1
    double ceilingMiB;    // the most the run may take beyond the tool's start-up; 0: not measured
    const char* skip = nullptr; // why the case cannot run on this platform
    MakeFile other = Sound;     // other.png
    std::uint64_t memoryLimit = 0;
};

std::vector<std::string> const kArguments = {"in.png", "other.png", "-o", "out.png"};

#ifdef _WIN32
const char* OnlyPosix(const char* reason) { return reason; }
const char* OnlyWindows(const char*) { return nullptr; }
#else
const char* OnlyPosix(const char*) { return nullptr; }
const char* OnlyWindows(const char* reason) { return reason; }
#endif

const char* const kLeftAsItIs = "out.png: exists and is not a regular file; it is left as it is";
const char* const kGdiplusStops = "GDI+ stops inflating once it has every row and reads no further";

std::string WithoutLastBytes(std::string bytes, std::size_t count)
{
    bytes.resize(bytes.size() - count);
    return bytes;
}

std::string Nothing()
{
    return "";
}

// One row of 4194304 16-bit RGBA pixels: 16 MiB decoded, and two 32 MiB rows
// for libspng. With at most 24 MiB in one allocation (AddressSanitizer, whose
// operator new cannot throw, so that only libspng's malloc can fail) or 48 MiB
// of address space in all, one of them fails.
std::string LongRow()
{
    return MakePngFromStream(4194304, 1, 16, 6, ZerosZlib(1 + 4194304 * 8));
}

// 268435456 x 1 at 16 bits a sample: the most pixels an image may have, in
// rows of 2 GiB of samples.
std::string LongestRow()
{
    return MakePngFromStream(268435456, 1, 16, 6, ZerosZlib(1 << 10));
}

// 1 GiB once decoded, with data for the first rows only.
std::string LittleData()
{
    return MakePngFromStream(16384, 16384, 1, 0, ZerosZlib(16 << 10));
}

// AddressSanitizer marks the 1 GiB reserved for LittleData's image in its
// shadow, one byte for every eight, though the image itself stays untouched.
// Writing that shadow, 128 MiB, took 0.8 s of processor time on a 2-core
// machine; a refusal that read the image would take many seconds.
#if defined(__SANITIZE_ADDRESS__)
std::uint64_t const kMemoryLimit = std::uint64_t{24} << 20;
double const kLittleDataCeilingMiB = 128 + 16;
double const kRefusalSeconds = 2.0;
#else
std::uint64_t const kMemoryLimit = std::uint64_t{48} << 20;
double const kLittleDataCeilingMiB = 16;
double const kRefusalSeconds = 0.5;
#endif

std::vector<HostileCase> Cases()
{
    return {
        {"pixel_bomb", kArguments, [] { return MakePngFromStream(46340, 46340, 1, 0, ZerosZlib(1 << 20)); },
         Special::None, Special::None, "in.png: too large (46340x46340, limit 268435456 pixels)", 4},
        // Within the pixel limit, but its rows alone would take 6 GiB; the
        // other input is the same, so that only the limit keeps it from the
        // decoder.
        {"rows_of_16_bit_samples_over_the_decode_limit", kArguments, LongestRow, Special::None, Special::None,
         "in.png: too large (268435456x1 needs 6442450946 bytes to decode, limit 1140850688 bytes)", 4, nullptr,
         LongestRow},
        {"one_row_over_the_limit", kArguments, [] { return MakePngFromStream(16384, 16385, 1, 0, ZerosZlib(1 << 10)); },
         Special::None, Special::None, "in.png: too large (16384x16385, limit 268435456 pixels)", 4},
        // Decodable to 980 MiB: the sizes are compared first.
        {"real_image_against_a_small_one", kArguments,
         [] { return MakePngFromStream(16000, 16000, 1, 0, ZerosZlib(16000 * 2001)); }, Special::None, Special::None,
         "other.png differ in size: 16000x16000 and 64x48", 4},
        // Memory is touched only as far as the rows go.
        {"little_data_for_the_largest_image", kArguments, LittleData, Special::None, Special::None, "in.png: damaged",
         kLittleDataCeilingMiB, nullptr, LittleData},
        {"out_of_memory", kArguments, LongRow, Special::None, Special::None, "in.png: out of memory", 0,
         OnlyPosix("no memory limit for one process"), LongRow, kMemoryLimit},
        {"last_image_data_checksum", kArguments, [] { return WithBadChecksum(Sound(), Sound().size() - 13); },
         Special::None, Special::None, "in.png: damaged (wrong checksum in the IDAT chunk)", 0},
        {"no_end_chunk", kArguments, [] { return WithoutLastBytes(Sound(), 12); }, Special::None, Special::None,
         "in.png: damaged (the file ends before its IEND chunk)", 0},
        {"garbage_after_the_end", kArguments, [] { return Sound() + "garbage"; }, Special::None, Special::None,
         "in.png: damaged (data after the IEND chunk)", 0},
        {"chunk_after_the_end", kArguments, [] { return Sound() + ChunkBytes("tEXt", std::string("k\0v", 3)); },
         Special::None, Special::None, "in.png: damaged (data after the IEND chunk)", 0},
        {"unknown_critical_chunk", kArguments,
         [] { return MakePngFromStream(64, 48, 8, 6, StoredZlib(kRows), {{"ABCD", "x"}}); }, Special::None,
         Special::None, "in.png: damaged (unknown critical chunk ABCD)", 0},
        {"more_image_data_than_the_image", kArguments,
         [] { return MakePngFromStream(64, 48, 8, 6, StoredZlib(kRows + std::string(257, '\0'))); }, Special::None,
         Special::None, "in.png: damaged (more image data than the image holds)", 0, OnlyPosix(kGdiplusStops)},
        {"bytes_after_the_stream", kArguments, [] { return MakePngFromStream(64, 48, 8, 6, StoredZlib(kRows) + "xyz"); },
         Special::None, Special::None, "in.png: damaged (bytes after the end of the compressed image data)", 0,
         OnlyPosix(kGdiplusStops)},
        {"stream_without_its_checksum", kArguments,
         [] { return MakePngFromStream(64, 48, 8, 6, WithoutLastBytes(StoredZlib(kRows), 4)); }, Special::None,
         Special::None, "in.png: damaged (image data that end before the image does)", 0, OnlyPosix(kGdiplusStops)},
        // The file breaks off in the chunk: it is refused from the length alone.
        {"text_chunk_of_70_mib", kArguments,
         [] { return PngSignatureAndHeader(64, 48, 8, 6) + std::string("\x04\x60\x00\x00tEXtComment\0", 16); },
         Special::None, Special::None, "in.png: too large (tEXt chunk of 73400320 bytes, limit 67108864 bytes)", 4},
        {"text_chunks_200000", kArguments,
         [] {
             std::vector<PngChunk> const chunks(200000, PngChunk{"tEXt", std::string("k\0v", 3)});
             return MakePngFromStream(64, 48, 8, 6, StoredZlib(kRows), chunks);
         },
         Special::None, Special::None, "in.png: too large (more than 1000 chunks besides the image data)", 0},
        {"empty", kArguments, Nothing, Special::None, Special::None, "in.png: not a PNG file", 0},
        {"folder_as_input", kArguments, Nothing, Special::Folder, Special::None, "in.png: not a regular file", 4},
        {"fifo_as_input", kArguments, Nothing, Special::Fifo, Special::None, "in.png: not a regular file", 4,
         OnlyPosix("no FIFOs")},
        {"zero_device_as_input", kArguments, Nothing, Special::LinkToZeroDevice, Special::None,
         "in.png: not a regular file", 4, OnlyPosix("no /dev/zero; nul_device_as_input is the counterpart")},
        {"nul_device_as_input", {"NUL", "other.png", "-o", "out.png"}, Nothing, Special::None, Special::None,
         "NUL: not a regular file", 4, OnlyWindows("NUL is a device only on Windows")},
        {"folder_as_output", kArguments, Sound, Special::None, Special::Folder, kLeftAsItIs, 0},
        {"fifo_as_output", kArguments, Sound, Special::None, Special::Fifo, kLeftAsItIs, 0, OnlyPosix("no FIFOs")},
        {"link_to_null_device_as_output", kArguments, Sound, Special::None, Special::LinkToNullDevice, kLeftAsItIs, 0,
         OnlyPosix("no /dev/null")},
        {"nul_device_as_output", {"in.png", "other.png", "-o", "NUL"}, Sound, Special::None, Special::None,
         "NUL: cannot write the file", 0, OnlyWindows("NUL is a device only on Windows")},
        {"link_to_a_file_as_output", kArguments, Sound, Special::None, Special::LinkToFile, kLeftAsItIs, 0,
         OnlyPosix("symbolic links need a privilege")},
    };
}

// Makes `special` at `path`.
void Place(Special special, const fs::path& path)
{
    switch (special) {
    case Special::None:
        break;
    case Special::Folder:
        fs::create_directory(path);
        break;
#ifndef _WIN32
    case Special::Fifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
    case Special::LinkToZeroDevice:
        fs::create_symlink("/dev/zero", path);
        break;
    case Special::LinkToNullDevice:
        fs::create_symlink("/dev/null", path);
        break;
    case Special::LinkToFile:
        WriteBytes(path.parent_path() / "kept.png", "kept");
        fs::create_symlink("kept.png", path);
        break;
#endif
    default:
        FAIL() << "not made on this platform";
    }
}

// Lines on standard error, without AddressSanitizer's notes (which start with
// "==") of allocations it was told to refuse.
long ToolLines(const std::string& err)
{
    std::istringstream lines(err);
    long count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.rfind("==", 0) == 0 ? 0 : 1;
    return count;
}

// What the tool needs to start, measured once: a run that only prints its version.
double StartUpMiB()
{
    static double const peak = RunProgram(LUCIDFRAME_MATTE_EXE, {"--version"}).peakMiB;
    return peak;
}

class HostileInputs : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputs, AreRefusedQuicklyWithinMemoryAndChangeNothing)
{
    HostileCase const& c = GetParam();
    if (c.skip != nullptr)
        GTEST_SKIP() << c.skip;
    ScratchFolder folder;
    std::string const other = c.other();
    WriteBytes(folder / "other.png", other);
    if (c.inSpecial == Special::None)
        WriteBytes(folder / "in.png", c.in());
    Place(c.inSpecial, folder / "in.png");
    Place(c.outSpecial, folder / "out.png");
    std::vector<std::string> const before = folder.Entries();
    fs::file_status const outBefore = fs::symlink_status(folder / "out.png");

    RunLimits limits;
    limits.timeoutSeconds = 20;
    limits.memoryBytes = c.memoryLimit;
    ProgramRun const run = RunMatte(folder, c.arguments, limits);

    ASSERT_FALSE(run.timedOut) << "the tool was still running after 20 s";
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(ToolLines(run.err), 1) << run.err;
    EXPECT_EQ(folder.Entries(), before);
    EXPECT_EQ(ReadBytes(folder / "other.png"), other);
    EXPECT_EQ(fs::symlink_status(folder / "out.png").type(), outBefore.type());
    if (c.outSpecial == Special::LinkToFile) {
        EXPECT_EQ(ReadBytes(folder / "kept.png"), "kept");
    }
    if (run.cpuSeconds < 0 || run.peakMiB < 0) {
        std::printf("%s: processor time and memory not reported here\n", c.name);
        return;
    }
    EXPECT_LT(run.cpuSeconds, kRefusalSeconds);
    if (c.ceilingMiB > 0) {
        EXPECT_LE(run.peakMiB, StartUpMiB() + c.ceilingMiB) << "started in " << StartUpMiB() << " MiB";
    }
    std::printf("%s: %.3f s of processor time, %.1f MiB at most (%.1f MiB to start)\n", c.name, run.cpuSeconds,
                run.peakMiB, StartUpMiB());
}

INSTANTIATE_TEST_SUITE_P(Files, HostileInputs, testing::ValuesIn(Cases()),
    [](const testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

// The tool stopped while the temporary file of its save exists: the stop
// reaches it at a seam of the probe (a hook in the save), so the moment is the
// same in every run. The temporary file is gone, out.png keeps its old
// contents, and the status is what a shell reports for the stop.
struct StopCase {
    const char* name;
    const char* stop;     // the probe's first argument
    int status;
    bool wineDelivers;    // whether wine can raise the event at all
};

class StoppedDuringTheSave : public testing::TestWithParam<StopCase> {};

TEST_P(StoppedDuringTheSave, LeavesNoTemporaryFileAndTheOldOutput)
{
    StopCase const& c = GetParam();
#ifdef _WIN32
    if (!c.wineDelivers && RunningUnderWine())
        GTEST_SKIP() << "wine 8 cannot raise " << c.stop << ": GenerateConsoleCtrlEvent fails with ERROR_INVALID_HANDLE";
#endif
    ScratchFolder folder;
    WriteBytes(folder / "in.png", Sound());
    WriteBytes(folder / "other.png", Sound());
    WriteBytes(folder / "out.png", "the previous matte");
    std::vector<std::string> const before = folder.Entries();

    std::vector<std::string> arguments = {c.stop};
    for (const std::string& argument : InFolder(folder, kArguments))
        arguments.push_back(argument);
    RunLimits limits;
    limits.timeoutSeconds = 30;
    ProgramRun const run = RunProgram(LUCIDFRAME_MATTE_STOP_PROBE_EXE, arguments, limits);

    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(folder.Entries(), before);
    EXPECT_EQ(ReadBytes(folder / "out.png"), "the previous matte");
}

INSTANTIATE_TEST_SUITE_P(Stops, StoppedDuringTheSave, testing::Values(
#ifdef _WIN32
    StopCase{"ctrl_c", "ctrl-c", 130, true},
    StopCase{"ctrl_break", "ctrl-break", 143, false}
#else
    StopCase{"sigint", "SIGINT", 130, true},
    StopCase{"sigterm", "SIGTERM", 143, true},
    StopCase{"sighup", "SIGHUP", 129, true}
#endif
    ),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

} // namespace
