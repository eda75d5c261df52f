// The chunk check takes a file's bytes in pieces of whatever size reads
// return; what it finds, and what it passes on, must not depend on the cut.
#include "png/png_reader_chunks.h"

#include "tests/support/png_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Keeps the image data it is given, and how often the end came.
class RecordedImageData final : public PngImageDataCheck {
public:
    const char* Take(const PngHeader&, const std::uint8_t* data, std::size_t size) override
    {
        bytes.append(reinterpret_cast<const char*>(data), size);
        return nullptr;
    }
    const char* End(const PngHeader&) override
    {
        ++ends;
        return nullptr;
    }
    std::string bytes;
    int ends = 0;
};

std::string const kRows("\0\1\2\3\4\0\5\6\7\x08", 10);
std::string const kStream = StoredZlib(kRows);

// 1 x 2 RGBA with its stream cut into three IDAT chunks around a text chunk
// before them and one after.
std::string const kSound = PngSignatureAndHeader(1, 2, 8, 6) + ChunkBytes("tEXt", std::string("k\0v", 3)) +
                           ChunkBytes("IDAT", kStream.substr(0, 5)) + ChunkBytes("IDAT", kStream.substr(5, 7)) +
                           ChunkBytes("IDAT", kStream.substr(12)) + ChunkBytes("zzZz", "after") +
                           ChunkBytes("IEND", "");

struct PieceCase {
    const char* name;
    std::string file;
    PngFault fault;
};

class ChunkCheckInPieces : public testing::TestWithParam<PieceCase> {};

TEST_P(ChunkCheckInPieces, FindsTheSameWhateverTheCut)
{
    PieceCase const& c = GetParam();
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{13},
                              c.file.size() + 1}) {
        RecordedImageData imageData;
        PngChunkCheck check(&imageData);
        auto const* bytes = reinterpret_cast<const std::uint8_t*>(c.file.data());
        for (std::size_t at = 0; at < c.file.size(); at += piece)
            check.Take(bytes + at, std::min(piece, c.file.size() - at));
        check.End();

        EXPECT_EQ(check.result().fault, c.fault) << "pieces of " << piece << ": " << check.result().detail;
        if (c.fault == PngFault::None) {
            EXPECT_TRUE(check.Complete());
            EXPECT_EQ(check.header().width, 1u);
            EXPECT_EQ(check.header().height, 2u);
            EXPECT_EQ(imageData.bytes, kStream) << "pieces of " << piece;
            EXPECT_EQ(imageData.ends, 1) << "pieces of " << piece;
        }
    }
}

std::string Flipped(std::string bytes, std::size_t at)
{
    bytes[at] ^= 0x01;
    return bytes;
}

// The second IDAT chunk's data start after the signature, IHDR (25), tEXt
// (15), the first IDAT (17) and the second's length and type.
std::size_t const kSecondImageData = 8 + 25 + 15 + 17 + 8;

INSTANTIATE_TEST_SUITE_P(Files, ChunkCheckInPieces, testing::Values(
    PieceCase{"sound", kSound, PngFault::None},
    PieceCase{"middle_image_data_changed", Flipped(kSound, kSecondImageData + 2), PngFault::Damaged},
    PieceCase{"signature_changed", Flipped(kSound, 3), PngFault::NotPng},
    PieceCase{"cut_in_the_last_checksum", kSound.substr(0, kSound.size() - 1), PngFault::Damaged},
    PieceCase{"byte_after_the_end", kSound + '\0', PngFault::Damaged},
    PieceCase{"cut_in_the_signature", kSound.substr(0, 5), PngFault::NotPng}),
    [](const testing::TestParamInfo<PieceCase>& info) { return info.param.name; });

TEST(ChunkCheck, HasTheHeaderOnceItsChecksumIsIn)
{
    PngChunkCheck check;
    auto const* bytes = reinterpret_cast<const std::uint8_t*>(kSound.data());
    check.Take(bytes, 32);
    EXPECT_FALSE(check.HasHeader());
    check.Take(bytes + 32, 1);
    EXPECT_TRUE(check.HasHeader());
    EXPECT_FALSE(check.Complete());
}

} // namespace
