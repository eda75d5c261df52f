#include "output/save_path.h"

#include "base/wide_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

bool IsForbiddenInFileName(wchar_t c)
{
    return static_cast<std::uint32_t>(c) < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

// Windows opens the device, not a file, for these names with any extension and
// with blanks before the extension. COM and LPT also take the superscript digits.
bool IsDeviceName(std::wstring_view name)
{
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    stem = stem.substr(0, stem.find_last_not_of(L' ') + 1);
    static constexpr std::array<std::wstring_view, 6> kFixed = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    if (std::any_of(kFixed.begin(), kFixed.end(), [stem](std::wstring_view d) { return SameIgnoringAsciiCase(stem, d); }))
        return true;
    if (stem.size() != 4)
        return false;
    bool const numberedPort = SameIgnoringAsciiCase(stem.substr(0, 3), L"COM") || SameIgnoringAsciiCase(stem.substr(0, 3), L"LPT");
    return numberedPort && std::wstring_view(L"123456789\u00B9\u00B2\u00B3").find(stem[3]) != std::wstring_view::npos;
}

} // namespace

std::wstring CleanFileTitle(std::wstring_view title)
{
    std::wstring cleaned(title);
    std::replace_if(cleaned.begin(), cleaned.end(), IsForbiddenInFileName, L'-');
    cleaned.erase(cleaned.find_last_not_of(L". ") + 1);
    if (IsDeviceName(cleaned))
        cleaned.insert(0, 1, L'_');
    return cleaned;
}

namespace {

// The folder, a backslash, the cleaned title cut to fit, then `suffix`
// (after a blank where there is a title) and ".png".
std::optional<std::wstring> CapturePath(std::wstring_view folder, std::wstring_view windowTitle, std::wstring_view suffix)
{
    static constexpr std::wstring_view kExtension = L".png";
    std::size_t const fixedLength = folder.size() + 1 + suffix.size() + kExtension.size();
    if (fixedLength > kMaxCapturePathLength)
        return std::nullopt;
    std::size_t const blank = suffix.empty() ? 0 : 1;
    std::size_t const room = kMaxCapturePathLength - fixedLength >= blank ? kMaxCapturePathLength - fixedLength - blank : 0;
    std::wstring title = CleanFileTitle(windowTitle);
    // Cleaning a cut title may prefix '_' once more; the next cut then ends it,
    // as a name starting with '_' is never a device.
    while (title.size() > room) {
        title = CleanFileTitle(std::wstring_view(title).substr(0, SurrogateSafeCut(title, room)));
    }
    std::wstring path(folder);
    path += L'\\';
    path += title;
    if (!title.empty() && !suffix.empty())
        path += L' ';
    path += suffix;
    path += kExtension;
    return path;
}

// `value` in at least `digits` decimal digits.
std::wstring Padded(int value, std::size_t digits)
{
    std::wstring text = std::to_wstring(value);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), L'0');
    return text;
}

} // namespace

std::optional<std::wstring> AutomaticCapturePath(std::wstring_view programFolder,
                                                 std::wstring_view windowTitle)
{
    return CapturePath(programFolder, windowTitle, {});
}

std::optional<std::wstring> TimestampedCapturePath(std::wstring_view folder, std::wstring_view windowTitle,
                                                   CaptureTime const& time, unsigned number)
{
    std::wstring stamp = Padded(time.year, 4) + L'-' + Padded(time.month, 2) + L'-' + Padded(time.day, 2) + L' ' +
                         Padded(time.hour, 2) + L'.' + Padded(time.minute, 2) + L'.' + Padded(time.second, 2);
    if (number >= 2)
        stamp += L" (" + std::to_wstring(number) + L")";
    return CapturePath(folder, windowTitle, stamp);
}

std::optional<std::wstring> NumberedCapturePath(std::wstring_view path, unsigned number)
{
    std::size_t const nameStart = path.find_last_of(L"\\/") + 1;
    std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < nameStart)
        dot = path.size();
    std::wstring const suffix = L" (" + std::to_wstring(number) + L")" + std::wstring(path.substr(dot));
    if (nameStart + suffix.size() > kMaxCapturePathLength)
        return std::nullopt;
    std::wstring_view const stem = path.substr(0, dot);
    return std::wstring(stem.substr(0, SurrogateSafeCut(stem, kMaxCapturePathLength - suffix.size()))) + suffix;
}

std::wstring TemporaryFileName(std::size_t finalNameLength, std::uint32_t random)
{
    static constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
    std::size_t const digits = std::clamp<std::size_t>(finalNameLength, 1, 9) - 1;
    std::wstring name(1, L'~');
    for (std::size_t i = 0; i < digits; ++i, random >>= 4)
        name += kHexDigits[random & 0xF];
    return name;
}
