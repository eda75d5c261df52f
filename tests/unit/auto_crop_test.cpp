#include "imaging/auto_crop.h"

#include "tests/support/imaging_reference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr std::int32_t kWidth = 10, kHeight = 8;

struct Dot {
    std::int32_t x, y;
    std::uint32_t value = 0xFF123456;
};

struct CropCase {
    const char* name;
    std::vector<Dot> dots;
    std::int32_t left, top, width, height; // the expected box
};

class AutoCropTable : public testing::TestWithParam<CropCase> {};

TEST_P(AutoCropTable, KeepsExactlyTheContentBox)
{
    CropCase const& c = GetParam();
    std::vector<std::uint32_t> image(kWidth * kHeight, 0);
    for (Dot const& d : c.dots)
        image[d.y * kWidth + d.x] = d.value;
    std::vector<std::uint32_t> const original = image;
    std::uint32_t* const first = image.data();

    std::int32_t width = kWidth, height = kHeight;
    AutoCrop(image.data(), width, height);

    ASSERT_EQ(width, c.width);
    ASSERT_EQ(height, c.height);
    EXPECT_EQ(image.data(), first);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            ASSERT_EQ(image[y * width + x], original[(c.top + y) * kWidth + c.left + x]) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, AutoCropTable, testing::Values(
    CropCase{"inner_box", {{2, 3}, {7, 5}}, 2, 3, 6, 3},
    CropCase{"top_left_corner", {{0, 0}, {4, 2}}, 0, 0, 5, 3},
    CropCase{"every_border", {{0, 3}, {9, 4}, {5, 0}, {5, 7}}, 0, 0, 10, 8},
    CropCase{"empty", {}, 0, 0, 10, 8},
    CropCase{"single_row", {{1, 4}, {3, 4}, {6, 4}}, 0, 0, 10, 8},
    CropCase{"single_column", {{6, 1}, {6, 5}}, 0, 0, 10, 8},
    CropCase{"single_pixel", {{4, 4}}, 0, 0, 10, 8},
    CropCase{"alpha_zero_blue_one_is_content", {{1, 1, 0x00000001}, {3, 2, 0x01000000}}, 1, 1, 3, 2},
    CropCase{"overlapping_first_row", {{2, 0}, {5, 7}}, 2, 0, 4, 8}),
    [](const testing::TestParamInfo<CropCase>& info) { return info.param.name; });

TEST(AutoCrop, DegenerateSizesAreLeftAlone)
{
    std::uint32_t pixels[4] = {1, 2, 3, 4};
    for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {-1, 4}, {1, 4}, {4, 1}}) {
        std::int32_t width = w, height = h;
        AutoCrop(pixels, width, height);
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, h);
    }
}

// Sparse content at random places in images of random size, from fixed
// seeds, against the box found by looking at every pixel.
TEST(AutoCrop, RandomSparseImagesKeepTheBruteForceBox)
{
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 random(seed);
        std::int32_t const oldWidth = 1 + random() % 40, oldHeight = 1 + random() % 40;
        std::vector<std::uint32_t> image(oldWidth * oldHeight, 0);
        for (unsigned dots = random() % 6; dots > 0; --dots) {
            std::uint32_t const values[] = {0x00000001, 0x01000000, 0xFFFFFFFF, static_cast<std::uint32_t>(random() | 1)};
            image[random() % image.size()] = values[random() % 4];
        }
        std::vector<std::uint32_t> const original = image;
        std::uint32_t* const first = image.data();
        reference::Box const box = reference::ContentBox(original.data(), oldWidth, oldHeight);

        std::int32_t width = oldWidth, height = oldHeight;
        AutoCrop(image.data(), width, height);

        SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << oldWidth << "x" << oldHeight);
        ASSERT_EQ(image.data(), first);
        if (!reference::Crops(box)) {
            ASSERT_EQ(width, oldWidth);
            ASSERT_EQ(height, oldHeight);
            ASSERT_EQ(image, original);
            continue;
        }
        ASSERT_EQ(width, box.right - box.left + 1);
        ASSERT_EQ(height, box.bottom - box.top + 1);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                ASSERT_EQ(image[y * width + x], original[(box.top + y) * oldWidth + box.left + x]) << x << "," << y;
    }
}

} // namespace
