#include "capture/cursor_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct CanvasCase {
    const char* name;
    std::uint32_t before;
    std::uint32_t after;
};

class ComplementTable : public testing::TestWithParam<CanvasCase> {};

TEST_P(ComplementTable, ChangesOnlyNonZeroPixelsWithoutAlpha)
{
    CanvasCase const c = GetParam();
    std::uint32_t pixel = c.before;
    ComplementMonochromeCanvas(&pixel, 1);
    EXPECT_EQ(pixel, c.after) << std::hex << pixel;
}

INSTANTIATE_TEST_SUITE_P(Pixels, ComplementTable, testing::Values(
    CanvasCase{"white_becomes_opaque_black", 0x00FFFFFF, 0xFF000000},
    CanvasCase{"colour_is_inverted", 0x00123456, 0xFFEDCBA9},
    CanvasCase{"faintest_blue", 0x00000001, 0xFFFFFFFE},
    CanvasCase{"zero_stays_transparent", 0x00000000, 0x00000000},
    CanvasCase{"half_alpha_kept", 0x80123456, 0x80123456},
    CanvasCase{"alpha_1_kept", 0x01000000, 0x01000000},
    CanvasCase{"opaque_kept", 0xFFFFFFFF, 0xFFFFFFFF}),
    [](const testing::TestParamInfo<CanvasCase>& info) { return info.param.name; });

TEST(ComplementMonochromeCanvas, VisitsExactlyCountPixels)
{
    for (std::int64_t count : {-1, 0, 1, 5, 7}) {
        std::vector<std::uint32_t> canvas(8, 0x00FFFFFF);
        ComplementMonochromeCanvas(canvas.data(), count);
        for (std::int64_t i = 0; i < 8; ++i)
            EXPECT_EQ(canvas[i], i < count ? 0xFF000000u : 0x00FFFFFFu) << "count " << count << " pixel " << i;
    }
}

} // namespace
