#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// Decodes the PNG file at `path`, whatever its colour type and bit depth, into
// 8-bit pixels laid out as bytes blue, green, red, alpha with straight alpha,
// top row first. Returns false, leaving the outputs unchanged, when the file
// cannot be read, is not a valid PNG, or holds more pixels than a 32-bit count
// can address. On Windows GDI+ must be running.
bool ReadPng(const std::filesystem::path& path, std::vector<std::uint32_t>& pixels, std::int32_t& width,
             std::int32_t& height);
