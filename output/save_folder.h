#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Why the settings' save folder cannot take a capture.
enum class SaveFolderProblem {
    None,
    UnexpandedVariable, // %NAME% names no variable, or a variable's value names one in turn
    BadPath,            // not a plain folder path: relative to a drive's current folder ("D:x") or
                        // to the current drive's root ("\x"), a device or namespace path ("\\.\", "\\?\"),
                        // ".." above the root, or nothing left once expanded
    BadName,            // a part that Windows cannot name a folder: a reserved character, a trailing
                        // dot or blank, a device name such as CON
    TooLong,            // no room left in the 259 characters for a capture's name
};

struct SaveFolder {
    std::wstring path; // without a trailing backslash; a drive's root is "D:"
    SaveFolderProblem problem;
};

// The value of an environment variable, or nothing where it is not set.
using VariableLookup = std::function<std::optional<std::wstring>(std::wstring_view name)>;

// Where automatic captures go for the settings' `value`: the program folder
// where it is empty; otherwise the value with each %NAME% replaced once, as
// Windows expands them, '/' read as '\', "." and ".." taken out, and a
// relative path taken from `programFolder`.
SaveFolder SaveFolderFor(std::wstring_view value, std::wstring_view programFolder, VariableLookup const& lookup);

// The folders to make, outermost first, so that `folder` exists: each one
// below its drive or share, `folder` last. Empty for a drive or a share
// itself.
std::vector<std::wstring> FoldersOnTheWay(std::wstring_view folder);
