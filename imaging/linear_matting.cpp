#include "imaging/linear_matting.h"

#include "imaging/sdr_curve.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Light no copy can show: the upper bound of a clipped copy.
float const kUnbounded = 1e6f;

// How many steps less than the steps below it foretell the top step may
// rise before the copies count as stopped: the rounding of three copies.
int const kRiseSlack = 2;

// The painted level that a copy of `copied` shows, between the transfer's
// levels along a straight line: a screen that lifts SDR content in linear
// light and encodes it to sRGB again maps levels very nearly along straight
// lines, exactly so outside the darkest few. Past the last level the copy did
// not clip, the last line goes on. `usable` is the number of levels to go by.
double PaintedLevelOf(double copied, CopyTransfer transfer, std::size_t usable)
{
    double painted = 0;
    for (std::size_t i = 1; i < usable; ++i) {
        int const low = transfer.copied[i - 1];
        int const high = transfer.copied[i];
        if (high <= low)
            continue; // a flat step says nothing of the levels between
        double const slope = double(transfer.painted[i] - transfer.painted[i - 1]) / (high - low);
        painted = transfer.painted[i - 1] + (copied - low) * slope;
        if (copied <= high)
            break;
    }
    return std::clamp(painted, 0.0, 255.0);
}

// Whether every channel of two pixels (0x00RRGGBB) lies within `noise`.
bool WithinNoise(std::uint32_t one, std::uint32_t other, int noise)
{
    if (noise == 0)
        return one == other;
    for (int shift : {0, 8, 16}) {
        int const difference = static_cast<int>(one >> shift & 0xFF) - static_cast<int>(other >> shift & 0xFF);
        if (difference > noise || difference < -noise)
            return false;
    }
    return true;
}

// Light, never below 0, encoded to 8-bit sRGB through the matte's table.
std::uint8_t EncodedStep(LinearLightMatte const& matte, float light)
{
    return matte.encoded[static_cast<std::size_t>(std::min(light, 1.0f) * kEncodeSteps + 0.5f)];
}

} // namespace

std::uint8_t CopiedLevel(CopyTransfer transfer, std::uint8_t painted)
{
    std::size_t above = 1;
    while (above + 1 < transfer.painted.size() && transfer.painted[above] < painted)
        ++above;
    int const low = transfer.painted[above - 1];
    int const high = transfer.painted[above];
    double const copied = transfer.copied[above - 1] +
                          double(transfer.copied[above] - transfer.copied[above - 1]) * (painted - low) / (high - low);
    return static_cast<std::uint8_t>(std::lround(std::clamp(copied, 0.0, 255.0)));
}

int ClipLevel(CopyTransfer transfer)
{
    std::size_t const n = transfer.copied.size();
    int const top = transfer.copied[n - 1];
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (transfer.copied[i] == top && top > 0)
            return top;
    }
    if (n < 3)
        return 256;
    // The straight line through the two steps below the top, carried on.
    double const rise = double(transfer.copied[n - 2] - transfer.copied[n - 3]) *
                        (transfer.painted[n - 1] - transfer.painted[n - 2]) /
                        (transfer.painted[n - 2] - transfer.painted[n - 3]);
    return top - transfer.copied[n - 2] < rise - kRiseSlack ? top : 256;
}

std::uint8_t HighestUnclippedLevel(CopyTransfer transfer)
{
    int const clip = ClipLevel(transfer);
    if (clip > 255)
        return 255;
    std::uint8_t level = 0;
    for (std::size_t i = 0; i < transfer.painted.size() && transfer.copied[i] < clip; ++i)
        level = transfer.painted[i];
    return level;
}

LinearLightMatte MakeLinearLightMatte(CopyTransfer transfer, std::uint8_t whiteBackdrop)
{
    LinearLightMatte matte = {};
    matte.clippedFrom = ClipLevel(transfer);
    std::size_t const usable = static_cast<std::size_t>(
        std::find_if(transfer.copied.begin(), transfer.copied.end(),
                     [&](std::uint8_t copied) { return copied >= matte.clippedFrom; }) -
        transfer.copied.begin());
    CurveFit const fit = FitCurve(transfer);
    SdrCurve const curve = fit.curve;
    auto const lightOf = [&](double copied) {
        if (fit.close)
            return static_cast<float>(DecodeLevel(curve, std::clamp(copied, 0.0, 255.0) / 255) / fit.boost);
        return static_cast<float>(DecodeLevel(curve, PaintedLevelOf(copied, transfer, usable) / 255));
    };
    for (int copied = 0; copied < 256; ++copied) {
        matte.light[copied] = lightOf(copied);
        double const stray = 0.5 + transfer.noise;
        matte.lightFrom[copied] = lightOf(copied - stray);
        matte.lightUpTo[copied] = copied + transfer.noise >= matte.clippedFrom ? kUnbounded : lightOf(copied + stray);
    }
    // A backdrop at black would tell no opacity; one level up tells little,
    // but divides by something.
    matte.whiteLight = static_cast<float>(DecodeLevel(curve, std::max<int>(whiteBackdrop, 1) / 255.0));
    matte.blackShown = CopiedLevel(transfer, 0) * 0x010101u;
    matte.whiteShown = CopiedLevel(transfer, whiteBackdrop) * 0x010101u;
    matte.noise = transfer.noise;
    // Each 8-bit value covers the steps of light from the middle between it
    // and the value below.
    matte.encoded.resize(kEncodeSteps + 1);
    for (int value = 0, step = 0; value < 256; ++value) {
        double const upTo = value == 255 ? 1.0 : DecodeLevel(curve, (value + 0.5) / 255);
        for (; step <= kEncodeSteps && double(step) / kEncodeSteps < upTo; ++step)
            matte.encoded[step] = static_cast<std::uint8_t>(value);
    }
    matte.encoded[kEncodeSteps] = 255;
    for (int copied = 0; copied < 256; ++copied)
        matte.opaqueColour[copied] = copied >= matte.clippedFrom ? 255 : EncodedStep(matte, matte.light[copied]);
    return matte;
}

void RecoverAlphaInLinearLight(const std::uint32_t* black, std::uint32_t* white, std::int32_t count,
                               LinearLightMatte const& matte)
{
    float const perWhite = 1 / matte.whiteLight;
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t const overBlack = black[i] & 0x00FFFFFFu;
        std::uint32_t const overWhite = white[i] & 0x00FFFFFFu;
        int copiedBlack[3], copiedWhite[3];
        for (int c = 0; c < 3; ++c) {
            copiedBlack[c] = static_cast<int>(overBlack >> (8 * c) & 0xFF);
            copiedWhite[c] = static_cast<int>(overWhite >> (8 * c) & 0xFF);
        }
        if (WithinNoise(overBlack, matte.blackShown, matte.noise) && WithinNoise(overWhite, matte.whiteShown, matte.noise)) {
            white[i] = 0;
            continue;
        }
        if (WithinNoise(overBlack, overWhite, 2 * matte.noise)) {
            white[i] = 0xFF000000u | std::uint32_t{matte.opaqueColour[copiedBlack[2]]} << 16 |
                       std::uint32_t{matte.opaqueColour[copiedBlack[1]]} << 8 | matte.opaqueColour[copiedBlack[0]];
            continue;
        }
        // Each copy is its light rounded to the nearest step, so each channel
        // allows the opacities between two bounds: the light the white copy
        // adds over the black one is the backdrop's light times the
        // transparency. A clipped copy bounds its light from below only. And
        // no content is brighter than white, so the opacity is at least the
        // light of the black copy. The opacity is the middle of what every
        // channel allows: the brighter a copy, the more light each of its
        // steps stands for, and each channel tells the opacity in a
        // different place. Dither can make the bounds cross; their middle is
        // then still the best guess.
        float lower = 0;
        float upper = 1;
        int clippedOverBlack = 0;
        for (int c = 0; c < 3; ++c) {
            int const k = copiedBlack[c];
            int const w = copiedWhite[c];
            lower = std::max({lower, matte.lightFrom[k], 1 - (matte.lightUpTo[w] - matte.lightFrom[k]) * perWhite});
            upper = std::min(upper, 1 - (matte.lightFrom[w] - matte.lightUpTo[k]) * perWhite);
            clippedOverBlack += k >= matte.clippedFrom;
        }
        // Content brighter than the copies show in every channel is white,
        // and opaque.
        float const alpha = clippedOverBlack == 3 ? 1 : (lower + upper) / 2;
        // Above 1 the content changed between the copies: opaque, as the
        // black copy shows it, as RecoverAlpha keeps it.
        int const opacity = static_cast<int>(std::clamp(alpha, 0.0f, 1.0f) * 255 + 0.5f);
        if (opacity == 0) {
            white[i] = 0;
            continue;
        }
        float const perOpacity = 255.0f / static_cast<float>(opacity);
        std::uint32_t pixel = static_cast<std::uint32_t>(opacity) << 24;
        for (int c = 0; c < 3; ++c) {
            std::uint32_t const colour =
                copiedBlack[c] >= matte.clippedFrom ? 255u : EncodedStep(matte, matte.light[copiedBlack[c]] * perOpacity);
            pixel |= colour << (8 * c);
        }
        white[i] = pixel;
    }
}
