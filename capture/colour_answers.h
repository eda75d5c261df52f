#pragma once

#include "capture/colour_mode.h"

#include <cstdint>
#include <optional>

// What the display configuration answers of one display, in plain terms, so
// that the reading of them is tested anywhere. Each is missing where the
// system does not know the query (or the display refused it).
struct ColourAnswers {
    // The colour mode Windows 11 24H2 and later report (ADVANCED_COLOR_INFO_2):
    // 0 SDR, 1 wide colour gamut with Auto Color Management, 2 HDR.
    std::optional<std::uint32_t> activeMode;
    // The bits of the older advanced-colour query, from Windows 10 1709 on:
    // 1 supported, 2 enabled, 4 wide colour enforced, 8 force disabled.
    std::optional<std::uint32_t> legacyFlags;
    // SDR_WHITE_LEVEL: where SDR white is shown, in thousandths of 80 nits.
    std::optional<std::uint32_t> sdrWhiteLevel;
};

// How a display composes, as the system reports it.
struct MonitorColour {
    ColourMode mode = ColourMode::Sdr;
    double sdrWhiteNits = 80.0;
};

// The colour mode from the newer query where it gives one it knows: the older
// query's flag is reported wrong in both directions by some drivers, and
// names no mode of its own (wide colour enforced is Auto Color Management,
// any other advanced colour HDR). SDR where neither tells. The white level
// where it is given and not zero, 80 nits otherwise.
MonitorColour ColourFromAnswers(ColourAnswers const& answers);
