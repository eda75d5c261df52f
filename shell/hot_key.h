#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The global hot key that starts a capture, as RegisterHotKey takes it: the
// modifier flags and the virtual-key code have Windows' values, so that this
// portable half needs no <windows.h>.
struct HotKey {
    std::uint32_t modifiers; // kModAlt, kModControl, kModShift, kModWin
    std::uint32_t key;       // a virtual-key code
    friend bool operator==(HotKey const&, HotKey const&) = default;
};

inline constexpr std::uint32_t kModAlt = 0x1;     // MOD_ALT
inline constexpr std::uint32_t kModControl = 0x2; // MOD_CONTROL
inline constexpr std::uint32_t kModShift = 0x4;   // MOD_SHIFT
inline constexpr std::uint32_t kModWin = 0x8;     // MOD_WIN
inline constexpr std::uint32_t kKeyPrintScreen = 0x2C; // VK_SNAPSHOT

// Ctrl+PrtSc, the key when the settings name none, or none that parses.
inline constexpr HotKey kDefaultHotKey = {kModControl, kKeyPrintScreen};

// Why a key cannot start captures.
enum class HotKeyProblem {
    None,
    NoKey,         // modifiers alone, or nothing
    UnknownKey,    // not A-Z, 0-9, F1-F24, PrtSc, Pause, Insert, Home, End, PageUp or PageDown, or an unknown modifier
    NeedsModifier, // a key that typing and editing use, without Ctrl, Alt or Win: it would be taken from every program
};

HotKeyProblem CheckHotKey(HotKey hotKey);

// Reads the settings' text of a hot key: the modifiers Ctrl, Alt, Shift and
// Win and one key, joined by '+', as in "Ctrl+Shift+F9". Names are matched
// whatever their case, blanks around them are ignored. Nothing for modifiers
// alone, a name given twice, two keys, an unknown name, a key CheckHotKey
// refuses, or a text longer than any hot key's.
std::optional<HotKey> ParseHotKey(std::wstring_view text);

// The text the settings file stores: the modifiers in the order Ctrl, Alt,
// Shift, Win, then the key, as in "Ctrl+Shift+F9". Empty for a key
// CheckHotKey refuses.
std::wstring HotKeyText(HotKey hotKey);

// The key that a stored text stands for: the default where it is empty or
// does not parse.
HotKey HotKeyOrDefault(std::wstring_view text);

// Whether Windows may give the hot key's PrtSc to its own screen capture
// ("Use the Print screen key to open screen capture"): the setting's stored
// value where there is one, and where there is none, its default, which is on
// from Windows 11 24H2 (build 26100).
bool WindowsMayTakePrintScreen(HotKey hotKey, std::optional<std::uint32_t> snippingSetting, std::uint32_t windowsBuild);
