#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The longest automatic path, in characters: one less than MAX_PATH, so that
// the path plus its terminator fits every classic Windows file call.
inline constexpr std::size_t kMaxCapturePathLength = 259;

// Makes any window title one safe file-name component: control characters and
// < > : " / \ | ? * become '-', trailing dots and spaces go, and a name that a
// Windows device owns (CON, NUL, COM1, "lpt2.txt", ...) gets a leading '_' so
// that it names a plain file. An empty title stays empty. On Windows this runs
// after PathCleanupSpec, which leaves device names and trailing dots alone.
std::wstring CleanFileTitle(std::wstring_view title);

// The automatic destination of a capture: the program folder, a backslash, the
// cleaned title and ".png". A title too long for kMaxCapturePathLength is cut
// from its end (never inside a surrogate pair, and cleaned again, so no
// trailing dot or device name results); the folder is never shortened. Nothing
// when not even an empty title fits.
std::optional<std::wstring> AutomaticCapturePath(std::wstring_view programFolder,
                                                 std::wstring_view windowTitle);

// The local time a capture is saved at, as the clock gives it.
struct CaptureTime {
    int year, month, day, hour, minute, second;
};

// The destination of a capture whose names never replace a file: the program
// folder, a backslash, the cleaned title, a blank, the time as
// "YYYY-MM-DD HH.MM.SS", " (`number`)" for a number from 2 on, and ".png";
// without a title, the time alone. The title is what is cut to fit
// kMaxCapturePathLength, as in AutomaticCapturePath; nothing when not even
// the time fits.
std::optional<std::wstring> TimestampedCapturePath(std::wstring_view folder, std::wstring_view windowTitle,
                                                   CaptureTime const& time, unsigned number);

// Where a capture goes when the file at `path` cannot be replaced: the same
// folder and extension, with " (`number`)" after the name's stem, as in
// "Notepad (2).png". A name too long for kMaxCapturePathLength is cut from the
// end of its stem (never inside a surrogate pair); the folder never is.
// Nothing when not even an empty stem fits.
std::optional<std::wstring> NumberedCapturePath(std::wstring_view path, unsigned number);

// The name of a temporary file that stands beside a destination whose own
// name is `finalNameLength` characters long, until it is renamed over it:
// "~" and up to eight hexadecimal digits of `random`, never longer than the
// destination's name (and never shorter than "~"), so that it fits wherever
// the destination's path fits.
std::wstring TemporaryFileName(std::size_t finalNameLength, std::uint32_t random);
