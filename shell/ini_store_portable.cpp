#include "shell/ini_store.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>

#include "shell/ini_text.h"

namespace {

std::filesystem::path FilePath(const wchar_t* iniPath)
{
    return std::filesystem::path(WideToUtf8(iniPath));
}

// The whole file, an empty text when there is none, or nothing when something
// is there that cannot be read as a file: it must then not be overwritten.
std::optional<std::string> ReadFile(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::file_status const status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return std::string();
    if (status.type() != std::filesystem::file_type::regular)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::int32_t ReadIniInt(const wchar_t* section, const wchar_t* key, std::int32_t fallback,
                        const wchar_t* iniPath)
{
    std::optional<std::string> const text = ReadFile(FilePath(iniPath));
    if (!text)
        return fallback;
    std::optional<std::string_view> const value = FindIniValue(*text, WideToUtf8(section), WideToUtf8(key));
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
    std::string const updated = SetIniValue(*old, WideToUtf8(section), WideToUtf8(key), WideToUtf8(text));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(updated.data(), static_cast<std::streamsize>(updated.size()));
}
