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
