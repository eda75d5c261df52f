#include "imaging/matting.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint32_t Bgr(int b, int g, int r) { return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b); }

struct MattingCase {
    const char* name;
    std::uint32_t black, white, expected;
};

class RecoverAlphaTable : public testing::TestWithParam<MattingCase> {};

TEST_P(RecoverAlphaTable, GivesTheExactPixel)
{
    MattingCase const c = GetParam();
    std::uint32_t const black = c.black;
    std::uint32_t white = c.white;
    RecoverAlpha(&black, &white, 1);
    EXPECT_EQ(white, c.expected) << std::hex << white;
    EXPECT_EQ(black, c.black);
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, RecoverAlphaTable, testing::Values(
    MattingCase{"opaque", Bgr(153, 102, 51), Bgr(153, 102, 51), 0xFF336699},
    MattingCase{"transparent", Bgr(0, 0, 0), Bgr(255, 255, 255), 0x00000000},
    MattingCase{"grey_glass", Bgr(64, 64, 64), Bgr(191, 191, 191), 0x807F7F7F},
    MattingCase{"white_one_step_brighter", Bgr(64, 64, 64), Bgr(192, 192, 192), 0x7F808080},
    MattingCase{"largest_estimate_wins", Bgr(10, 20, 30), Bgr(250, 240, 230), 0x378B5C2E},
    MattingCase{"faintest_red", Bgr(0, 0, 1), Bgr(255, 255, 255), 0x01FF0000},
    MattingCase{"black_brighter", Bgr(200, 10, 10), Bgr(100, 10, 10), 0xFF0A0AC8}),
    [](const testing::TestParamInfo<MattingCase>& info) { return info.param.name; });

TEST(RecoverAlpha, NonPositiveCountLeavesWhiteUnchanged)
{
    for (std::int32_t count : {0, -1, INT32_MIN}) {
        std::uint32_t const black = 0;
        std::uint32_t white = 0x12345678;
        RecoverAlpha(&black, &white, count);
        EXPECT_EQ(white, 0x12345678u) << count;
    }
}

} // namespace
