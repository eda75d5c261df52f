#pragma once

#include <cstdint>
#include <vector>

// The image data of an 8-bit RGBA PNG without interlacing: every row of
// `pixels` (bytes blue, green, red, alpha; top row first) as filter byte 0
// followed by its red, green, blue, alpha bytes, as one zlib stream.
//
// The rows are split into `bandCount` contiguous bands (fewer when the image
// has fewer rows, at least one) that are compressed at the same time, one
// thread each. Each band is primed with the 32 KiB that precede it, so the
// stream is about as small as a single pass would make it; any inflater reads
// it as one stream. `stream` receives the stream in pieces, to be stored in
// order; false, with `stream` unspecified, when memory runs out or zlib fails.
bool DeflateImageData(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, unsigned bandCount,
                      std::vector<std::vector<std::uint8_t>>& stream);

// The band count worth its threads for an image of this size on this machine.
unsigned DefaultBandCount(std::int32_t width, std::int32_t height);
