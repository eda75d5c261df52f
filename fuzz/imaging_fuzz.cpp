// Fuzz target for the three imaging operations: the first byte picks the
// operation, how the pixels are made and how far past an aligned address they
// start; the second sets the width; the rest are the pixels. Every vector path
// must give the bytes of the scalar reference, and the scalar reference those
// of the straightforward rules. A difference is reported and aborts.

#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "imaging/instruction_set.h"
#include "imaging/matting.h"

#include "tests/support/imaging_reference.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Pixels = std::vector<std::uint32_t>;

constexpr InstructionSet kVectorSets[] = {InstructionSet::Sse2, InstructionSet::Avx2};
constexpr std::size_t kMaxPixels = 1 << 16;

struct Input {
    int operation;     // 0 matting, 1 checkerboard, 2 crop
    bool synthesized;  // pixels made to look like real captures rather than raw bytes
    std::size_t start; // pixels before the first one, so that every alignment is seen
    int widthByte;
    const std::uint8_t* bytes;
    std::size_t size;
};

[[noreturn]] void Fail(const char* what, std::size_t index, std::uint32_t got, std::uint32_t expected)
{
    std::fprintf(stderr, "%s: pixel %zu is 0x%08X, expected 0x%08X\n", what, index, static_cast<unsigned>(got),
                 static_cast<unsigned>(expected));
    std::abort();
}

void ExpectSame(const char* what, Pixels const& got, Pixels const& expected)
{
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (got[i] != expected[i])
            Fail(what, i, got[i], expected[i]);
}

std::uint32_t Word(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// `count` pixels placed after `start` filler pixels.
Pixels Padded(std::size_t start, std::size_t count, std::uint32_t filler = 0xA5A5A5A5u)
{
    return Pixels(start + count, filler);
}

void FuzzMatting(Input const& in)
{
    std::size_t const bytesPerPixel = in.synthesized ? 4 : 8;
    std::size_t const count = std::min(in.size / bytesPerPixel, kMaxPixels);
    Pixels black = Padded(in.start, count), white = Padded(in.start, count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = in.bytes + i * bytesPerPixel;
        if (in.synthesized) {
            // A colour at an opacity, as seen over black and over white.
            int const a = p[3];
            std::uint32_t k = 0, w = 0;
            for (int c = 0; c < 3; ++c) {
                int const over = p[c] * a / 255;
                k |= static_cast<std::uint32_t>(over) << (8 * c);
                w |= static_cast<std::uint32_t>(over + 255 - a) << (8 * c);
            }
            black[in.start + i] = k;
            white[in.start + i] = w;
        } else {
            black[in.start + i] = Word(p);
            white[in.start + i] = Word(p + 4);
        }
    }
    std::int32_t const n = static_cast<std::int32_t>(count);

    Pixels expected = white;
    for (std::size_t i = in.start; i < expected.size(); ++i)
        expected[i] = reference::Matte(black[i], white[i]);
    Pixels const blackBefore = black;

    UseInstructionSet(InstructionSet::Scalar);
    Pixels scalar = white;
    RecoverAlpha(black.data() + in.start, scalar.data() + in.start, n);
    ExpectSame("scalar RecoverAlpha against the rules", scalar, expected);
    for (InstructionSet set : kVectorSets)
        if (UseInstructionSet(set)) {
            Pixels fast = white;
            RecoverAlpha(black.data() + in.start, fast.data() + in.start, n);
            ExpectSame(InstructionSetName(set), fast, scalar);
        }
    ExpectSame("the black capture", black, blackBefore);
}

void FuzzComposite(Input const& in)
{
    std::size_t const count = std::min(in.size / 4, kMaxPixels);
    std::int32_t const width = in.widthByte % 70; // 0 must leave the pixels alone
    std::int32_t const height = width == 0 ? 3 : static_cast<std::int32_t>(count) / width;
    Pixels image = Padded(in.start, count);
    for (std::size_t i = 0; i < count; ++i)
        image[in.start + i] = Word(in.bytes + 4 * i);

    Pixels expected = image;
    for (std::int32_t y = 0; width > 0 && y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint32_t& pixel = expected[in.start + static_cast<std::size_t>(y) * width + x];
            pixel = reference::Blend(pixel, reference::CheckerAt(x, y));
        }

    UseInstructionSet(InstructionSet::Scalar);
    Pixels scalar = image;
    CompositeOnCheckerboard(scalar.data() + in.start, width, height);
    ExpectSame("scalar CompositeOnCheckerboard against the rules", scalar, expected);
    for (InstructionSet set : kVectorSets)
        if (UseInstructionSet(set)) {
            Pixels fast = image;
            CompositeOnCheckerboard(fast.data() + in.start, width, height);
            ExpectSame(InstructionSetName(set), fast, scalar);
        }
}

// The crop has one form; it is held against the box found by looking at every pixel.
void FuzzCrop(Input const& in)
{
    std::int32_t const width = 1 + in.widthByte % 64;
    std::size_t const bytesPerPixel = in.synthesized ? 1 : 4;
    std::int32_t const height = static_cast<std::int32_t>(std::min(in.size / bytesPerPixel, kMaxPixels) / width);
    std::size_t const count = static_cast<std::size_t>(width) * height;
    Pixels image = Padded(in.start, count);
    for (std::size_t i = 0; i < count; ++i) {
        if (in.synthesized) {
            // Mostly empty, with the smallest contents among the rest.
            std::uint8_t const b = in.bytes[i];
            std::uint32_t const sparse[] = {0x00000001u, 0x01000000u, 0xFF000000u | b};
            image[in.start + i] = b < 232 ? 0 : sparse[b % 3];
        } else {
            image[in.start + i] = Word(in.bytes + 4 * i);
        }
    }
    Pixels const original = image;
    reference::Box const box = reference::ContentBox(original.data() + in.start, width, height);
    std::uint32_t* const first = image.data() + in.start;

    std::int32_t newWidth = width, newHeight = height;
    AutoCrop(first, newWidth, newHeight);

    bool const crops = reference::Crops(box);
    std::int32_t const expectedWidth = crops ? box.right - box.left + 1 : width;
    std::int32_t const expectedHeight = crops ? box.bottom - box.top + 1 : height;
    if (newWidth != expectedWidth || newHeight != expectedHeight) {
        std::fprintf(stderr, "AutoCrop of %dx%d gave %dx%d, expected %dx%d\n", width, height, newWidth, newHeight,
                     expectedWidth, expectedHeight);
        std::abort();
    }
    for (std::int32_t y = 0; y < newHeight; ++y)
        for (std::int32_t x = 0; x < newWidth; ++x) {
            std::size_t const to = static_cast<std::size_t>(y) * newWidth + x;
            std::size_t const from = static_cast<std::size_t>(crops ? box.top + y : y) * width + (crops ? box.left + x : x);
            if (first[to] != original[in.start + from])
                Fail("AutoCrop", to, first[to], original[in.start + from]);
        }
    for (std::size_t i = 0; i < in.start; ++i)
        if (image[i] != original[i])
            Fail("AutoCrop, before the image", i, image[i], original[i]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    Input const in{data[0] % 3, (data[0] & 4) != 0, static_cast<std::size_t>(data[0] >> 3 & 7), data[1], data + 2, size - 2};
    InstructionSet const previous = ActiveInstructionSet();
    switch (in.operation) {
    case 0:
        FuzzMatting(in);
        break;
    case 1:
        FuzzComposite(in);
        break;
    default:
        FuzzCrop(in);
        break;
    }
    UseInstructionSet(previous);
    return 0;
}
