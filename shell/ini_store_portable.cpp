#include "shell/ini_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "shell/ini_text.h"

namespace {

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

// Wide strings are UTF-16 or UTF-32 depending on the platform; an unpaired
// surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text)
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

std::filesystem::path FilePath(const wchar_t* iniPath)
{
    return std::filesystem::path(ToUtf8(iniPath));
}

// The whole file, an empty text when there is none, or nothing when a file is
// there but cannot be read: it must then not be overwritten.
std::optional<std::string> ReadFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return error ? std::nullopt : std::optional<std::string>(std::string());
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return text;
}

} // namespace

std::int32_t ReadIniInt(const wchar_t* section, const wchar_t* key, std::int32_t fallback,
                        const wchar_t* iniPath)
{
    std::optional<std::string> const text = ReadFile(FilePath(iniPath));
    if (!text)
        return fallback;
    std::optional<std::string_view> const value = FindIniValue(*text, ToUtf8(section), ToUtf8(key));
    if (!value || value->empty())
        return fallback;
    return ParseIniInt(*value);
}

void WriteIniText(const wchar_t* section, const wchar_t* key, const wchar_t* text,
                  const wchar_t* iniPath)
{
    std::filesystem::path const path = FilePath(iniPath);
    std::optional<std::string> const old = ReadFile(path);
    if (!old)
        return;
    std::string const updated = SetIniValue(*old, ToUtf8(section), ToUtf8(key), ToUtf8(text));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
}
