#include "shell/hot_key.h"

#include "base/wide_text.h"

#include <algorithm>
#include <array>

namespace {

// A hot key's text is short: "Ctrl+Alt+Shift+Win+PageDown" has 27
// characters. A longer text, such as one cut from an over-long line of the
// settings file, is never read as a key.
std::size_t const kLongestText = 64;

std::uint32_t const kKeyF1 = 0x70; // VK_F1; F2 to F24 follow it
int const kFunctionKeys = 24;

struct Name {
    std::wstring_view text;
    std::uint32_t value;
};

// In the order the text writes them.
std::array<Name, 4> const kModifierNames = {{
    {L"Ctrl", kModControl},
    {L"Alt", kModAlt},
    {L"Shift", kModShift},
    {L"Win", kModWin},
}};

// Keys that typing and editing leave alone, which may stand without Ctrl, Alt
// or Win; A-Z and 0-9 are named by their own letter, F1-F24 by number.
std::array<Name, 2> const kKeysOfTheirOwn = {{
    {L"PrtSc", kKeyPrintScreen},
    {L"Pause", 0x13}, // VK_PAUSE
}};
std::array<Name, 5> const kEditingKeys = {{
    {L"Insert", 0x2D},   // VK_INSERT
    {L"Home", 0x24},     // VK_HOME
    {L"End", 0x23},      // VK_END
    {L"PageUp", 0x21},   // VK_PRIOR
    {L"PageDown", 0x22}, // VK_NEXT
}};

bool IsLetterOrDigit(std::uint32_t key)
{
    return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
}

bool IsFunctionKey(std::uint32_t key)
{
    return key >= kKeyF1 && key < kKeyF1 + kFunctionKeys;
}

template <std::size_t N>
Name const* FindValue(std::array<Name, N> const& names, std::uint32_t value)
{
    auto const found = std::find_if(names.begin(), names.end(), [value](Name const& name) { return name.value == value; });
    return found == names.end() ? nullptr : &*found;
}

template <std::size_t N>
Name const* FindText(std::array<Name, N> const& names, std::wstring_view text)
{
    auto const found =
        std::find_if(names.begin(), names.end(), [text](Name const& name) { return SameIgnoringAsciiCase(name.text, text); });
    return found == names.end() ? nullptr : &*found;
}

// The key a name stands for, or nothing.
std::optional<std::uint32_t> KeyNamed(std::wstring_view name)
{
    if (name.empty())
        return std::nullopt;
    if (name.size() == 1) {
        wchar_t const c = name[0] >= L'a' && name[0] <= L'z' ? static_cast<wchar_t>(name[0] - L'a' + L'A') : name[0];
        if (IsLetterOrDigit(static_cast<std::uint32_t>(c)))
            return static_cast<std::uint32_t>(c);
        return std::nullopt;
    }
    // F1 to F24, without leading zeros.
    if (name.size() <= 3 && (name[0] == L'F' || name[0] == L'f') && name[1] >= L'1' && name[1] <= L'9') {
        std::uint32_t number = static_cast<std::uint32_t>(name[1] - L'0');
        if (name.size() == 3) {
            if (name[2] < L'0' || name[2] > L'9')
                return std::nullopt;
            number = number * 10 + static_cast<std::uint32_t>(name[2] - L'0');
        }
        if (number <= kFunctionKeys)
            return kKeyF1 + number - 1;
        return std::nullopt;
    }
    if (Name const* key = FindText(kKeysOfTheirOwn, name))
        return key->value;
    if (Name const* key = FindText(kEditingKeys, name))
        return key->value;
    return std::nullopt;
}

std::wstring_view Trimmed(std::wstring_view text)
{
    std::size_t const first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

} // namespace

HotKeyProblem CheckHotKey(HotKey hotKey)
{
    if ((hotKey.modifiers & ~(kModAlt | kModControl | kModShift | kModWin)) != 0)
        return HotKeyProblem::UnknownKey;
    if (hotKey.key == 0)
        return HotKeyProblem::NoKey;
    bool const ownKey = IsFunctionKey(hotKey.key) || FindValue(kKeysOfTheirOwn, hotKey.key) != nullptr;
    if (!ownKey && !IsLetterOrDigit(hotKey.key) && FindValue(kEditingKeys, hotKey.key) == nullptr)
        return HotKeyProblem::UnknownKey;
    if (!ownKey && (hotKey.modifiers & (kModControl | kModAlt | kModWin)) == 0)
        return HotKeyProblem::NeedsModifier;
    return HotKeyProblem::None;
}

std::optional<HotKey> ParseHotKey(std::wstring_view text)
{
    if (text.size() > kLongestText)
        return std::nullopt;
    HotKey hotKey = {0, 0};
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t const end = std::min(text.find(L'+', start), text.size());
        std::wstring_view const name = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (Name const* modifier = FindText(kModifierNames, name)) {
            if ((hotKey.modifiers & modifier->value) != 0)
                return std::nullopt;
            hotKey.modifiers |= modifier->value;
            continue;
        }
        std::optional<std::uint32_t> const key = KeyNamed(name);
        if (!key || hotKey.key != 0)
            return std::nullopt;
        hotKey.key = *key;
    }
    if (CheckHotKey(hotKey) != HotKeyProblem::None)
        return std::nullopt;
    return hotKey;
}

std::wstring HotKeyText(HotKey hotKey)
{
    if (CheckHotKey(hotKey) != HotKeyProblem::None)
        return {};
    std::wstring text;
    for (Name const& modifier : kModifierNames) {
        if ((hotKey.modifiers & modifier.value) != 0) {
            text += modifier.text;
            text += L'+';
        }
    }
    if (IsLetterOrDigit(hotKey.key))
        return text + static_cast<wchar_t>(hotKey.key);
    if (IsFunctionKey(hotKey.key))
        return text + L'F' + std::to_wstring(hotKey.key - kKeyF1 + 1);
    Name const* key = FindValue(kKeysOfTheirOwn, hotKey.key);
    return text + std::wstring((key != nullptr ? key : FindValue(kEditingKeys, hotKey.key))->text);
}

HotKey HotKeyOrDefault(std::wstring_view text)
{
    return ParseHotKey(text).value_or(kDefaultHotKey);
}

bool WindowsMayTakePrintScreen(HotKey hotKey, std::optional<std::uint32_t> snippingSetting, std::uint32_t windowsBuild)
{
    std::uint32_t const kFirstBuildWithTheSettingOn = 26100; // Windows 11 24H2
    if (hotKey.key != kKeyPrintScreen)
        return false;
    return snippingSetting ? *snippingSetting != 0 : windowsBuild >= kFirstBuildWithTheSettingOn;
}
