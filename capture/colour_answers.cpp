#include "capture/colour_answers.h"

namespace {

std::uint32_t const kLegacyEnabled = 0x2;
std::uint32_t const kLegacyWideColourEnforced = 0x4;
std::uint32_t const kLegacyForceDisabled = 0x8;

// The SDR white level's unit: 1000 is 80 nits, the white of sRGB.
double const kNitsPerWhiteLevelUnit = 80.0 / 1000.0;

std::optional<ColourMode> ModeOf(std::uint32_t activeMode)
{
    switch (activeMode) {
    case 0:
        return ColourMode::Sdr;
    case 1:
        return ColourMode::WideGamut;
    case 2:
        return ColourMode::Hdr;
    default:
        return std::nullopt; // a mode of a later Windows
    }
}

ColourMode ModeOfLegacy(std::uint32_t flags)
{
    if ((flags & kLegacyEnabled) == 0 || (flags & kLegacyForceDisabled) != 0)
        return ColourMode::Sdr;
    return (flags & kLegacyWideColourEnforced) != 0 ? ColourMode::WideGamut : ColourMode::Hdr;
}

} // namespace

MonitorColour ColourFromAnswers(ColourAnswers const& answers)
{
    MonitorColour colour;
    std::optional<ColourMode> const reported = answers.activeMode ? ModeOf(*answers.activeMode) : std::nullopt;
    if (reported)
        colour.mode = *reported;
    else if (answers.legacyFlags)
        colour.mode = ModeOfLegacy(*answers.legacyFlags);
    if (answers.sdrWhiteLevel && *answers.sdrWhiteLevel != 0)
        colour.sdrWhiteNits = *answers.sdrWhiteLevel * kNitsPerWhiteLevelUnit;
    return colour;
}
