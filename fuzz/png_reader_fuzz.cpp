// Fuzz target for the PNG reader, through the calls lucidframe-matte makes:
// the input becomes a file, whose size is read with ReadPngSize and which is
// then decoded with DecodePng. An input that starts with the PNG signature is
// the file itself. Any other input is a recipe for a PNG that is sound except
// for the damage the recipe asks for, so that random bytes reach the decoder
// instead of stopping at the signature.
//
// For every input the two calls must agree on the size or on the fault, and a
// decoded image must be within the pixel limit with width x height pixels. A
// recipe's sound file must decode, to the pixels it holds where those are
// plain to work out (8-bit samples, no filtering, no interlacing), and its
// damaged file must be refused. A failed check is reported and aborts.

#include "png/png_reader.h"

#include "tests/support/png_test_files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include "png/gdiplus_win32.h"
#endif

namespace {

using Pixels = std::vector<std::uint32_t>;

[[noreturn]] void Fail(const char* what, const PngReadResult& result)
{
    std::fprintf(stderr, "%s (fault %d: %s)\n", what, static_cast<int>(result.fault), result.detail.c_str());
    std::abort();
}

// The file every input is written to, in a folder of this run's own.
const std::filesystem::path& InputPath()
{
    static ScratchFolder const folder;
    static std::filesystem::path const path = folder / "input.png";
    return path;
}

#ifdef _WIN32
// Started once for the run and never shut down: the process ends with it.
void StartGdiplus()
{
    static bool const started = [] {
        Gdiplus::GdiplusStartupInput const input;
        ULONG_PTR token = 0;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    if (!started)
        std::abort();
}
// GDI+ stops inflating once it has every row, and sees no more or less image
// data than that.
constexpr bool kImageDataChecked = false;
#else
void StartGdiplus() {}
constexpr bool kImageDataChecked = true;
#endif

enum class Damage { None, FlipByte, Cut, Garbage, NoEnd, SplitImageData, ExtraImageData, ShortImageData };

struct ColourType {
    int code;
    int channels;
    std::vector<int> depths;
};

std::vector<ColourType> const kColourTypes = {
    {0, 1, {1, 2, 4, 8, 16}}, {2, 3, {8, 16}}, {3, 1, {1, 2, 4, 8}}, {4, 2, {8, 16}}, {6, 4, {8, 16}},
};

// Byte 0: colour type (bits 0-2), interlacing (bit 3), no filtering (bit 4),
// damage (bits 5-7); byte 1: bit depth; bytes 2 and 3: width and height;
// bytes 4 and 5: where a byte is flipped or the file cut; the rest: the
// samples and filter types, repeated as needed.
struct Recipe {
    ColourType type;
    int depth;
    bool interlaced;
    bool unfiltered;
    Damage damage;
    std::uint32_t width, height;
    std::size_t position;
    const std::uint8_t* source;
    std::size_t sourceSize;
    std::size_t used = 0;

    std::uint8_t Next()
    {
        return sourceSize == 0 ? 0 : source[used++ % sourceSize];
    }
};

Recipe ReadRecipe(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t header[6] = {};
    std::memcpy(header, data, std::min<std::size_t>(size, 6));
    ColourType const& type = kColourTypes[header[0] % 8 % kColourTypes.size()];
    return Recipe{type,
                  type.depths[header[1] % type.depths.size()],
                  (header[0] & 0x08) != 0,
                  (header[0] & 0x10) != 0,
                  static_cast<Damage>(header[0] >> 5),
                  1u + header[2] % 48u,
                  1u + header[3] % 48u,
                  static_cast<std::size_t>(header[4] | header[5] << 8),
                  data + std::min<std::size_t>(size, 6),
                  size - std::min<std::size_t>(size, 6)};
}

std::string BigEndian(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// The rows of every interlace pass, each a filter type and its samples.
std::string ImageData(Recipe& recipe)
{
    struct Pass {
        std::uint32_t x0, dx, y0, dy;
    };
    std::vector<Pass> const passes =
        recipe.interlaced
            ? std::vector<Pass>{{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4}, {0, 2, 2, 4}, {1, 2, 0, 2},
                                {0, 1, 1, 2}}
            : std::vector<Pass>{{0, 1, 0, 1}};
    std::string rows;
    for (Pass const& pass : passes) {
        std::uint32_t const width = recipe.width > pass.x0 ? (recipe.width - pass.x0 + pass.dx - 1) / pass.dx : 0;
        std::uint32_t const height = recipe.height > pass.y0 ? (recipe.height - pass.y0 + pass.dy - 1) / pass.dy : 0;
        std::size_t const rowBytes = (static_cast<std::size_t>(width) * recipe.type.channels * recipe.depth + 7) / 8;
        for (std::uint32_t y = 0; width > 0 && y < height; ++y) {
            rows += static_cast<char>(recipe.unfiltered ? 0 : recipe.Next() % 5);
            for (std::size_t i = 0; i < rowBytes; ++i)
                rows += static_cast<char>(recipe.Next());
        }
    }
    return rows;
}

std::uint32_t PaletteEntry(int index)
{
    return static_cast<std::uint32_t>(index) << 16 | static_cast<std::uint32_t>(255 - index) << 8 |
           static_cast<std::uint32_t>(index * 7 & 0xFF);
}

// The first 16 palette entries are translucent, index 0 fully transparent.
int PaletteAlpha(int index)
{
    return index < 16 ? index * 16 : 255;
}

std::string PaletteChunks(int depth)
{
    std::string palette, alpha;
    for (int i = 0; i < (1 << depth); ++i) {
        std::uint32_t const entry = PaletteEntry(i);
        palette += {static_cast<char>(entry >> 16), static_cast<char>(entry >> 8), static_cast<char>(entry)};
        if (i < 16)
            alpha += static_cast<char>(PaletteAlpha(i));
    }
    return ChunkBytes("PLTE", palette) + ChunkBytes("tRNS", alpha);
}

std::string Assemble(const Recipe& recipe, const std::string& rows)
{
    std::string const header = BigEndian(recipe.width) + BigEndian(recipe.height) +
                               static_cast<char>(recipe.depth) + static_cast<char>(recipe.type.code) +
                               std::string(2, '\0') + static_cast<char>(recipe.interlaced ? 1 : 0);
    std::string png = "\x89PNG\r\n\x1a\n" + ChunkBytes("IHDR", header);
    if (recipe.type.code == 3)
        png += PaletteChunks(recipe.depth);
    std::string data = rows;
    if (recipe.damage == Damage::ExtraImageData)
        data += std::string(1 + recipe.position % 300, '\0');
    if (recipe.damage == Damage::ShortImageData)
        data.resize(data.size() - 1);
    std::string const zlib = StoredZlib(data);
    if (recipe.damage == Damage::SplitImageData) {
        std::size_t const cut = recipe.position % zlib.size();
        png += ChunkBytes("IDAT", zlib.substr(0, cut)) + ChunkBytes("IDAT", "") + ChunkBytes("IDAT", zlib.substr(cut));
    } else {
        png += ChunkBytes("IDAT", zlib);
    }
    if (recipe.damage != Damage::NoEnd)
        png += ChunkBytes("IEND", "");
    if (recipe.damage == Damage::FlipByte)
        png[recipe.position % png.size()] ^= 0x01;
    if (recipe.damage == Damage::Cut)
        png.resize(recipe.position % png.size());
    if (recipe.damage == Damage::Garbage)
        png += static_cast<char>(recipe.position);
    return png;
}

// Blue, green, red, alpha of 8-bit unfiltered rows without interlacing.
Pixels ExpectedPixels(const Recipe& recipe, const std::string& rows)
{
    Pixels pixels;
    std::size_t const rowBytes = 1 + static_cast<std::size_t>(recipe.width) * recipe.type.channels;
    for (std::uint32_t y = 0; y < recipe.height; ++y)
        for (std::uint32_t x = 0; x < recipe.width; ++x) {
            auto const* s = reinterpret_cast<const std::uint8_t*>(rows.data()) + y * rowBytes + 1 +
                            x * static_cast<std::size_t>(recipe.type.channels);
            auto const grey = [](std::uint32_t g) { return g << 16 | g << 8 | g; };
            switch (recipe.type.code) {
            case 0:
                pixels.push_back(0xFF000000u | grey(s[0]));
                break;
            case 2:
                pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(s[0]) << 16 | s[1] << 8 | s[2]);
                break;
            case 3:
                pixels.push_back(static_cast<std::uint32_t>(PaletteAlpha(s[0])) << 24 | PaletteEntry(s[0]));
                break;
            case 4:
                pixels.push_back(static_cast<std::uint32_t>(s[1]) << 24 | grey(s[0]));
                break;
            default:
                pixels.push_back(static_cast<std::uint32_t>(s[3]) << 24 | static_cast<std::uint32_t>(s[0]) << 16 |
                                 s[1] << 8 | s[2]);
                break;
            }
        }
    return pixels;
}

// Whatever the file: both calls see the same header, and an image is whole.
PngReadResult ReadAndCheck(const std::string& file, Pixels& pixels)
{
    WriteBytes(InputPath(), file);
    std::int32_t sizeWidth = 0, sizeHeight = 0, width = 0, height = 0;
    PngReadResult const size = ReadPngSize(InputPath(), sizeWidth, sizeHeight);
    PngReadResult const decoded = DecodePng(InputPath(), pixels, width, height);
    if (size.fault != PngFault::None && decoded.fault != size.fault)
        Fail("DecodePng found another fault than ReadPngSize", decoded);
    if (decoded.fault == PngFault::None) {
        if (size.fault != PngFault::None || width != sizeWidth || height != sizeHeight)
            Fail("DecodePng read another size than ReadPngSize", size);
        if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kPngPixelLimit ||
            pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
            Fail("DecodePng gave an image over the limit or with the wrong pixel count", decoded);
    }
    return decoded;
}

void FuzzRecipe(const std::uint8_t* data, std::size_t size)
{
    Recipe recipe = ReadRecipe(data, size);
    std::string const rows = ImageData(recipe);
    Pixels pixels;
    PngReadResult const result = ReadAndCheck(Assemble(recipe, rows), pixels);

    bool const sound = recipe.damage == Damage::None || recipe.damage == Damage::SplitImageData;
    bool const seen = kImageDataChecked || (recipe.damage != Damage::ExtraImageData &&
                                            recipe.damage != Damage::ShortImageData);
    if (sound && result.fault != PngFault::None)
        Fail("a sound file was refused", result);
    if (!sound && seen && result.fault == PngFault::None)
        Fail("a damaged file was decoded", result);
    if (sound && recipe.depth == 8 && recipe.unfiltered && !recipe.interlaced &&
        pixels != ExpectedPixels(recipe, rows))
        Fail("a sound file decoded to other pixels", result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StartGdiplus();
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
        Pixels pixels;
        ReadAndCheck(std::string(reinterpret_cast<const char*>(data), size), pixels);
    } else {
        FuzzRecipe(data, size);
    }
    return 0;
}
