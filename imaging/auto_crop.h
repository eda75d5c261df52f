#pragma once

#include <cstdint>

// Cuts the image down to the smallest box holding every non-zero pixel and packs
// that box, row by row, at the start of the same memory; `width` and `height`
// become the box's size. Content that spans fewer than two rows or two columns
// leaves the image as it is.
void AutoCrop(std::uint32_t* pixels, std::int32_t& width, std::int32_t& height);

// Keeps the box of boxWidth x boxHeight pixels whose top-left pixel is (left,
// top), packed row by row at the start of the same memory; `width` and
// `height` become the box's. A box that does not lie wholly within the image
// leaves it as it is.
void CropToBox(std::uint32_t* pixels, std::int32_t& width, std::int32_t& height, std::int32_t left, std::int32_t top,
               std::int32_t boxWidth, std::int32_t boxHeight);
