#include "shell/ini_text.h"

#include <algorithm>

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

struct IniLine {
    std::size_t begin;        // offset of the line's first byte
    std::string_view content; // the line without its ending
    std::size_t next;         // offset just after the line's ending
};

IniLine LineAt(std::string_view text, std::size_t begin)
{
    std::size_t const newline = text.find('\n', begin);
    std::size_t const next = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view content = text.substr(begin, next - begin);
    if (content.ends_with('\n'))
        content.remove_suffix(1);
    if (content.ends_with('\r'))
        content.remove_suffix(1);
    return {begin, content, next};
}

std::string_view Trim(std::string_view text)
{
    std::size_t const first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view trimmedLine)
{
    if (trimmedLine.empty() || trimmedLine.front() != '[')
        return std::nullopt;
    std::size_t const close = trimmedLine.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmedLine.substr(1, close - 1);
}

std::string_view KeyName(std::string_view trimmedLine)
{
    return Trim(trimmedLine.substr(0, trimmedLine.find('=')));
}

// The private-profile functions drop one pair of matching quotes around a value.
std::string_view KeyValue(std::string_view trimmedLine)
{
    std::size_t const equals = trimmedLine.find('=');
    if (equals == std::string_view::npos)
        return {};
    std::string_view const value = Trim(trimmedLine.substr(equals + 1));
    bool const quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

struct KeyLocation {
    bool sectionFound = false;
    std::size_t sectionEnd = 0; // just after the section's last non-blank line
    std::optional<IniLine> keyLine;
};

KeyLocation LocateKey(std::string_view text, std::string_view section, std::string_view key)
{
    KeyLocation location;
    std::size_t position = text.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
    while (position < text.size()) {
        IniLine const line = LineAt(text, position);
        position = line.next;
        std::string_view const trimmed = Trim(line.content);
        if (std::optional<std::string_view> const name = SectionName(trimmed)) {
            if (location.sectionFound)
                break;
            location.sectionFound = SameName(*name, section);
            location.sectionEnd = line.next;
            continue;
        }
        if (!location.sectionFound || trimmed.empty())
            continue;
        location.sectionEnd = line.next;
        if (SameName(KeyName(trimmed), key)) {
            location.keyLine = line;
            break;
        }
    }
    return location;
}

std::string_view LineEnding(std::string_view text)
{
    std::size_t const newline = text.find('\n');
    return newline != std::string_view::npos && newline > 0 && text[newline - 1] == '\r' ? "\r\n" : "\n";
}

void AppendUtf8(std::string& out, char32_t codePoint)
{
    auto byte = [&out](unsigned value) { out += static_cast<char>(value); };
    if (codePoint < 0x80) {
        byte(codePoint);
    } else if (codePoint < 0x800) {
        byte(0xC0 | (codePoint >> 6));
        byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        byte(0xE0 | (codePoint >> 12));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    } else {
        byte(0xF0 | (codePoint >> 18));
        byte(0x80 | ((codePoint >> 12) & 0x3F));
        byte(0x80 | ((codePoint >> 6) & 0x3F));
        byte(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

std::int32_t ParseIniInt(std::string_view value)
{
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    value = Trim(value);
    bool const negative = value.starts_with('-');
    if (negative || value.starts_with('+'))
        value.remove_prefix(1);
    std::int64_t magnitude = 0;
    for (char const c : value) {
        if (c < '0' || c > '9')
            break;
        magnitude = std::min(magnitude * 10 + (c - '0'), kLimit);
    }
    return static_cast<std::int32_t>(negative ? -magnitude : std::min(magnitude, kLimit - 1));
}

std::optional<std::string_view> FindIniValue(std::string_view text, std::string_view section,
                                             std::string_view key)
{
    KeyLocation const location = LocateKey(text, section, key);
    if (!location.keyLine)
        return std::nullopt;
    return KeyValue(Trim(location.keyLine->content));
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value)
{
    KeyLocation const location = LocateKey(text, section, key);
    std::string keyLine;
    keyLine.append(key).append("=").append(value);
    std::string result(text);
    if (location.keyLine) {
        IniLine const& line = *location.keyLine;
        result.replace(line.begin, line.content.size(), keyLine);
        return result;
    }
    std::string_view const ending = LineEnding(text);
    std::size_t const insertAt = location.sectionFound ? location.sectionEnd : text.size();
    std::string added;
    if (insertAt == text.size() && !text.empty() && text.back() != '\n')
        added.append(ending);
    if (!location.sectionFound)
        added.append("[").append(section).append("]").append(ending);
    added.append(keyLine).append(ending);
    result.insert(insertAt, added);
    return result;
}

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto const unit = static_cast<char32_t>(text[i]);
        bool const high = unit >= 0xD800 && unit <= 0xDBFF;
        bool const low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            auto const next = static_cast<char32_t>(text[++i]);
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        } else if (high || low || unit > 0x10FFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}
