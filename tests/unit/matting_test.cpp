#include "imaging/matting.h"

#include "instruction_set_param.h"
#include "tests/support/imaging_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::uint32_t Bgr(int b, int g, int r) { return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b); }

struct MattingCase {
    const char* name;
    std::uint32_t black, white, expected;
};

MattingCase const kEdgeCases[] = {
    {"opaque", Bgr(153, 102, 51), Bgr(153, 102, 51), 0xFF336699},
    {"transparent", Bgr(0, 0, 0), Bgr(255, 255, 255), 0x00000000},
    {"grey_glass", Bgr(64, 64, 64), Bgr(191, 191, 191), 0x807F7F7F},
    {"white_one_step_brighter", Bgr(64, 64, 64), Bgr(192, 192, 192), 0x7F808080},
    {"largest_estimate_wins", Bgr(10, 20, 30), Bgr(250, 240, 230), 0x378B5C2E},
    {"faintest_red", Bgr(0, 0, 1), Bgr(255, 255, 255), 0x01FF0000},
    {"black_brighter", Bgr(200, 10, 10), Bgr(100, 10, 10), 0xFF0A0AC8},
};

// The other two channels of a sweep, as (black, white) pairs: their estimates
// put the maximum below, at, above or beyond every swept value.
struct OtherChannels {
    int black1, white1, black2, white2;
};

OtherChannels const kOtherChannels[] = {
    {0, 255, 0, 255},     // estimates 0 and 0: the swept channel decides
    {0, 254, 7, 250},     // 1 and 12
    {64, 191, 30, 100},   // 128 and 185
    {100, 100, 255, 255}, // 255 and 255
    {200, 100, 0, 255},   // 355 and 0: the black copy is kept
    {255, 0, 255, 0},     // 510 and 510
};

std::uint32_t Place(int channel, int swept, int other1, int other2)
{
    int value[3];
    value[channel] = swept;
    value[(channel + 1) % 3] = other1;
    value[(channel + 2) % 3] = other2;
    return Bgr(value[0], value[1], value[2]);
}

class RecoverAlphaPaths : public EveryInstructionSet {};

TEST_P(RecoverAlphaPaths, EdgeCasesGiveTheExactPixel)
{
    for (MattingCase const& c : kEdgeCases) {
        std::uint32_t const black = c.black;
        std::uint32_t white = c.white;
        RecoverAlpha(&black, &white, 1);
        EXPECT_EQ(white, c.expected) << c.name << ": got " << std::hex << white;
        EXPECT_EQ(black, c.black) << c.name;
    }
}

// Every (black, white) pair of one channel, for every channel and every place
// the maximum can fall, in one run so that all vector lanes see all of them.
// The inputs carry arbitrary alpha bytes, which must not matter.
TEST_P(RecoverAlphaPaths, MatchesTheReferenceForEveryChannelPair)
{
    std::vector<std::uint32_t> black, white;
    for (int channel = 0; channel < 3; ++channel)
        for (OtherChannels const& o : kOtherChannels)
            for (int k = 0; k < 256; ++k)
                for (int w = 0; w < 256; ++w) {
                    std::uint32_t const garbage = static_cast<std::uint32_t>(k * 7 + w) << 24;
                    black.push_back(Place(channel, k, o.black1, o.black2) | garbage);
                    white.push_back(Place(channel, w, o.white1, o.white2) | (garbage ^ 0x5A000000u));
                }
    std::vector<std::uint32_t> const blackBefore = black, whiteBefore = white;

    RecoverAlpha(black.data(), white.data(), static_cast<std::int32_t>(white.size()));

    ASSERT_EQ(black, blackBefore) << "the black capture was changed";
    for (std::size_t i = 0; i < white.size(); ++i) {
        std::uint32_t const k = blackBefore[i], w = whiteBefore[i];
        ASSERT_EQ(white[i], reference::Matte(k, w))
            << "first difference at pixel " << i << ": black 0x" << std::hex << k << ", white 0x" << w;
        bool const transparent = (k & 0xFFFFFF) == 0 && (w & 0xFFFFFF) == 0xFFFFFF;
        ASSERT_EQ(white[i] == 0, transparent) << "pixel " << i << ": black 0x" << std::hex << k << ", white 0x" << w;
    }
}

TEST_P(RecoverAlphaPaths, AlphaBytesOfTheInputsNeverMatter)
{
    std::mt19937 random(7);
    std::vector<std::uint32_t> black(1000), white(1000);
    for (std::size_t i = 0; i < black.size(); ++i) {
        black[i] = random() & 0x00FFFFFF;
        white[i] = random() & 0x00FFFFFF;
    }
    std::vector<std::uint32_t> plainResult = white;
    RecoverAlpha(black.data(), plainResult.data(), 1000);

    for (std::size_t i = 0; i < black.size(); ++i) {
        black[i] |= random() & 0xFF000000;
        white[i] |= random() & 0xFF000000;
    }
    RecoverAlpha(black.data(), white.data(), 1000);
    EXPECT_EQ(white, plainResult);
}

// Counts 0 to 67 cover every tail length of every vector width; starting 0 to
// 7 pixels past an aligned address covers every misalignment. The pixels
// around the run must stay as they were.
TEST_P(RecoverAlphaPaths, EveryCountAndStartTouchesExactlyItsPixels)
{
    constexpr std::uint32_t kGuard = 0xDEADBEEF;
    std::mt19937 random(11);
    for (std::int32_t count = 0; count <= 67; ++count)
        for (int start = 0; start < 8; ++start) {
            std::vector<std::uint32_t> black(count + 16, kGuard), white(count + 16, kGuard);
            for (std::int32_t i = 0; i < count; ++i) {
                // Half plausible captures of one colour at one opacity, half raw bytes.
                int const v = random() & 0xFF, a = random() & 0xFF;
                int const over = random() & 0xFF;
                bool const raw = random() & 1;
                black[start + i] = raw ? random() : Bgr(v * a / 255, over, 0);
                white[start + i] = raw ? random() : Bgr(v * a / 255 + 255 - a, 255 - over, 255);
            }
            std::vector<std::uint32_t> expected = white;
            for (std::int32_t i = 0; i < count; ++i)
                expected[start + i] = reference::Matte(black[start + i], white[start + i]);

            RecoverAlpha(black.data() + start, white.data() + start, count);

            for (std::size_t i = 0; i < white.size(); ++i)
                ASSERT_EQ(white[i], expected[i]) << "count " << count << ", start " << start << ", pixel " << i
                                                 << ": black 0x" << std::hex << black[i];
        }
}

TEST_P(RecoverAlphaPaths, NonPositiveCountLeavesWhiteUnchanged)
{
    for (std::int32_t count : {0, -1, INT32_MIN}) {
        std::uint32_t const black = 0;
        std::uint32_t white = 0x12345678;
        RecoverAlpha(&black, &white, count);
        EXPECT_EQ(white, 0x12345678u) << count;
    }
}

INSTANTIATE_TEST_SUITE_P(, RecoverAlphaPaths, EveryInstructionSetValue(), InstructionSetParamName);

} // namespace
