#pragma once

// How a monitor shows desktop content, as Windows reports it. Only plain SDR
// blends 8-bit sRGB values; in both other modes the compositor blends in
// linear light and converts what it shows, which the matting has to undo.
enum class ColourMode {
    Sdr,       // 8-bit blending of sRGB values
    WideGamut, // wide colour gamut with Auto Color Management
    Hdr,       // HDR: SDR content brightened to the SDR white level
};

constexpr bool ComposesInLinearLight(ColourMode mode) { return mode != ColourMode::Sdr; }
