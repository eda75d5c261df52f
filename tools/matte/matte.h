#pragma once

#include "matte_arguments.h"

#include <cstdio>
#include <string>
#include <vector>

inline constexpr int kMatteSuccess = 0;
inline constexpr int kMatteFailure = 1;
inline constexpr int kMatteUsageError = 2;

// The whole tool after the platform's entry point: parses `arguments` (UTF-8,
// without the program name), does what they ask, writes help and version to
// `out` and errors and the summary to `err`, and returns the exit status.
int MatteMain(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

// Counts of a straight-alpha image's pixels by opacity.
struct AlphaCounts {
    std::int64_t transparent = 0;
    std::int64_t translucent = 0;
    std::int64_t opaque = 0;
};

AlphaCounts CountAlpha(const std::uint32_t* pixels, std::int64_t count);
