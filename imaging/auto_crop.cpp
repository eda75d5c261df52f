#include "imaging/auto_crop.h"

#include <cstring>

namespace {

struct ContentBox {
    std::int32_t top, bottom, left, right;
};

bool RowHasContent(const std::uint32_t* row, std::int32_t from, std::int32_t to)
{
    for (std::int32_t x = from; x <= to; ++x)
        if (row[x] != 0)
            return true;
    return false;
}

// Each bound is searched from its own edge inward and stops at the first row or
// column with content, so a typical capture reads little more than its margin.
// The column searches only need the rows between top and bottom, and read them
// row by row so that memory is walked in order.
bool FindContentBox(const std::uint32_t* pixels, std::int32_t width, std::int32_t height, ContentBox& box)
{
    auto row = [&](std::int32_t y) { return pixels + static_cast<std::int64_t>(y) * width; };

    box.top = 0;
    while (box.top < height && !RowHasContent(row(box.top), 0, width - 1))
        ++box.top;
    if (box.top == height)
        return false;
    box.bottom = height - 1;
    while (!RowHasContent(row(box.bottom), 0, width - 1))
        --box.bottom;

    box.left = width - 1;
    box.right = 0;
    // Once both bounds reach the edges no row can move them: an image whose
    // content touches all four edges is settled after a few pixels.
    for (std::int32_t y = box.top; y <= box.bottom && (box.left > 0 || box.right < width - 1); ++y) {
        const std::uint32_t* r = row(y);
        for (std::int32_t x = 0; x < box.left; ++x)
            if (r[x] != 0) {
                box.left = x;
                break;
            }
        for (std::int32_t x = width - 1; x > box.right; --x)
            if (r[x] != 0) {
                box.right = x;
                break;
            }
    }
    return true;
}

} // namespace

void AutoCrop(std::uint32_t* pixels, std::int32_t& width, std::int32_t& height)
{
    if (width <= 0 || height <= 0)
        return;
    ContentBox box;
    if (!FindContentBox(pixels, width, height, box))
        return;
    // A single row or column of content is not worth cutting the image down to.
    if (box.bottom <= box.top || box.right <= box.left)
        return;

    CropToBox(pixels, width, height, box.left, box.top, box.right - box.left + 1, box.bottom - box.top + 1);
}

void CropToBox(std::uint32_t* pixels, std::int32_t& width, std::int32_t& height, std::int32_t left, std::int32_t top,
               std::int32_t boxWidth, std::int32_t boxHeight)
{
    bool const within = left >= 0 && top >= 0 && boxWidth > 0 && boxHeight > 0 &&
                        std::int64_t{left} + boxWidth <= width && std::int64_t{top} + boxHeight <= height;
    if (!within || (boxWidth == width && boxHeight == height))
        return;
    // The destination never lies after the source, so rows moved in increasing
    // order never overwrite one still to be read; memmove covers the overlap
    // within a row and needs no scratch memory.
    for (std::int32_t k = 0; k < boxHeight; ++k) {
        const std::uint32_t* source = pixels + static_cast<std::int64_t>(top + k) * width + left;
        std::uint32_t* destination = pixels + static_cast<std::int64_t>(k) * boxWidth;
        if (destination != source)
            std::memmove(destination, source, static_cast<std::size_t>(boxWidth) * sizeof *pixels);
    }
    width = boxWidth;
    height = boxHeight;
}
