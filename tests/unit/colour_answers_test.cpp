#include "capture/colour_answers.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t const kSupported = 0x1;
std::uint32_t const kEnabled = 0x2;
std::uint32_t const kWideColourEnforced = 0x4;
std::uint32_t const kForceDisabled = 0x8;
std::optional<std::uint32_t> const kNone = std::nullopt;

struct ColourRow {
    char const* name;
    ColourAnswers answers;
    ColourMode mode;
    double sdrWhiteNits;
};
ColourRow const kColourRows[] = {
    {"nothing answered (before Windows 10 1709)", {kNone, kNone, kNone}, ColourMode::Sdr, 80.0},
    {"new query says SDR where the old flag claims advanced colour", {0, kSupported | kEnabled, 1000},
     ColourMode::Sdr, 80.0},
    {"new query says wide colour gamut", {1, kSupported | kEnabled | kWideColourEnforced, 1000},
     ColourMode::WideGamut, 80.0},
    {"new query says HDR at 200 nits", {2, kSupported | kEnabled, 2500}, ColourMode::Hdr, 200.0},
    {"new query says HDR where the old flag claims none", {2, kSupported, 1000}, ColourMode::Hdr, 80.0},
    {"a mode of a later Windows falls back to the old flag", {7, kSupported | kEnabled, kNone}, ColourMode::Hdr,
     80.0},
    {"old query alone: Auto Color Management", {kNone, kSupported | kEnabled | kWideColourEnforced, kNone},
     ColourMode::WideGamut, 80.0},
    {"old query alone: HDR at 240 nits", {kNone, kSupported | kEnabled, 3000}, ColourMode::Hdr, 240.0},
    {"old query alone: supported but off", {kNone, kSupported, kNone}, ColourMode::Sdr, 80.0},
    {"old query alone: enabled but force disabled", {kNone, kSupported | kEnabled | kForceDisabled, kNone},
     ColourMode::Sdr, 80.0},
    {"a white level of zero is no answer", {2, kNone, 0}, ColourMode::Hdr, 80.0},
};

TEST(ColourAnswers, NewQueryFirstThenTheOldFlagAndTheWhiteLevelWhereGiven)
{
    for (ColourRow const& row : kColourRows) {
        MonitorColour const colour = ColourFromAnswers(row.answers);
        EXPECT_EQ(colour.mode, row.mode) << row.name;
        EXPECT_DOUBLE_EQ(colour.sdrWhiteNits, row.sdrWhiteNits) << row.name;
    }
}

} // namespace
