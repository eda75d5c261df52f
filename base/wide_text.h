#pragma once

// Small rules for the program's UTF-16 texts that every folder shares.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

inline bool IsHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// Where to cut `text` to keep at most `length` characters: one fewer where
// the cut would split a surrogate pair, which would leave half a character.
inline std::size_t SurrogateSafeCut(std::wstring_view text, std::size_t length)
{
    if (length >= text.size())
        return text.size();
    return length > 0 && IsHighSurrogate(text[length - 1]) ? length - 1 : length;
}

// Whether `a` and `b` are the same text once ASCII letters are folded to one
// case, as Windows compares device names; other letters are compared as
// they stand.
inline bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    auto const fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

// `text` in at most `room` characters, ending in an ellipsis where cut.
inline std::wstring CutAtEnd(std::wstring_view text, std::size_t room)
{
    if (text.size() <= room)
        return std::wstring(text);
    if (room == 0)
        return {};
    return std::wstring(text.substr(0, SurrogateSafeCut(text, room - 1))) + L'\u2026';
}
