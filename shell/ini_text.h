#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The rules of the INI text that stands in for the Windows private-profile
// functions where they do not exist. The text is UTF-8 (any bytes pass through
// untouched); lines end in "\n" or "\r\n". A section starts at a line "[name]";
// a key line is "name=value" with blanks around name and value ignored, and
// one pair of matching quotes around the value dropped.
// Section and key names match without regard to ASCII case, and, as on
// Windows, only the first section of a name and the first key of a name in it
// count.

// The integer a stored value stands for: an optional sign and the decimal
// digits that follow, ignoring whatever comes after them ("12abc" is 12), and
// 0 when there are no digits. Values beyond the 32-bit range stop at its ends,
// so a huge number still reads as non-zero (Windows wraps them modulo 2^32, so
// that 4294967296 reads as 0 there), and only decimal is read (Windows also
// takes "0x10" as 16).
std::int32_t ParseIniInt(std::string_view value);

// The value of `key` in `section`, or nothing when either is missing. A key
// line without "=" has the empty value.
std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key);

// `text` with `key` in `section` set to `value`: the key's line is replaced, or
// a line is added after the section's last line, or the section is added at the
// end. Every other line stays byte for byte as it was; added lines end like the
// file's first line does ("\n" in an empty file).
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

// The UTF-8 form of a wide string, which is UTF-16 or UTF-32 depending on the
// platform. An unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
