#include "png/gdiplus_encoder_lookup_win32.h"
#include "png/png_reader.h"
#include "output/png_file.h"

#include "tests/support/png_test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// GDI+'s built-in PNG encoder.
CLSID const kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
CLSID const kUntouched = {0x01234567, 0x89ab, 0xcdef, {1, 2, 3, 4, 5, 6, 7, 8}};

struct EncoderCase {
    const char* name;
    const wchar_t* mimeType;
    bool found;
};

class FindEncoderClsidTable : public testing::TestWithParam<EncoderCase> {};

TEST_P(FindEncoderClsidTable, MatchesTheMimeTypeExactly)
{
    EncoderCase const& c = GetParam();
    CLSID clsid = kUntouched;
    int const index = FindEncoderClsid(c.mimeType, &clsid);
    if (c.found) {
        EXPECT_GE(index, 0);
        EXPECT_TRUE(IsEqualGUID(clsid, kPngEncoder));
    } else {
        EXPECT_EQ(index, -1);
        EXPECT_TRUE(IsEqualGUID(clsid, kUntouched));
    }
}

INSTANTIATE_TEST_SUITE_P(MimeTypes, FindEncoderClsidTable, testing::Values(
    EncoderCase{"png", L"image/png", true},
    EncoderCase{"upper_case", L"IMAGE/PNG", false},
    EncoderCase{"prefix", L"image/pn", false},
    EncoderCase{"longer", L"image/png2", false},
    EncoderCase{"empty", L"", false}),
    [](const testing::TestParamInfo<EncoderCase>& info) { return info.param.name; });

TEST(SavePngFile, NameTheFileSystemRefusesLeavesNothing)
{
    ScratchFolder folder;
    std::uint32_t const pixel = 0xFF000000;
    EXPECT_FALSE(SavePngFile(folder / L"what?.png", &pixel, 1, 1));
    EXPECT_TRUE(folder.Entries().empty());
}

// A non-ASCII destination reaches the file system as UTF-16, untouched.
TEST(SavePngFile, UnicodeNameRoundTrips)
{
    ScratchFolder folder;
    std::filesystem::path const destination = folder / L"\x622a\x56fe \x00e9.png";
    std::uint32_t const pixel = 0x80FF0000;
    ASSERT_TRUE(SavePngFile(destination, &pixel, 1, 1));

    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0, height = 0;
    ASSERT_TRUE(ReadPng(destination, pixels, width, height));
    EXPECT_EQ(pixels, std::vector<std::uint32_t>{pixel});
}

} // namespace
