#pragma once

#include <string>
#include <vector>

// What `lucidframe-matte` was asked to do. Paths are UTF-8.
struct MatteOptions {
    std::string black;
    std::string white;
    std::string output;
    bool crop = false;
    bool checkerboard = false;
};

enum class MatteAction { Run, Help, Version, UsageError };

struct MatteCommand {
    MatteAction action = MatteAction::UsageError;
    MatteOptions options;
    std::string error; // for UsageError: what is wrong with the command line
};

// Reads the arguments that follow the program name. "--" ends the options, so
// that a file whose name starts with '-' can still be given.
MatteCommand ParseMatteArguments(const std::vector<std::string>& arguments);
