#include "imaging/linear_matting.h"

#include "imaging/sdr_curve.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Bounds that cross by less than this, in opacity, cross by float rounding.
float const kCrossingSlack = 0.25f / 255;
// How many pixels must vote for a curve, and how many times as many as for
// the other, before the colours tell it.
std::int64_t const kTellingVotes = 16;
std::int64_t const kClearlyMore = 4;
// One run of pixels in every eight votes, until this many have: a window's
// colours vote in their thousands, and counting them all would cost as much
// as the matting. Runs, not single pixels, so that seven eighths of the
// copies are not read at all.
std::int64_t const kVoteRun = 64;
std::int64_t const kVoteRuns = 8;
std::int64_t const kEnoughVotes = 1024;

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

// The opacities that the copies of one pixel allow, and how many of its
// channels the black copy clipped.
struct OpacityBounds {
    float lower = 0;
    float upper = 1;
    int clippedOverBlack = 0;
};

// Each copy is its light rounded to the nearest step, so each channel allows
// the opacities between two bounds: the light the white copy adds over the
// black one is the backdrop's light times the transparency. A clipped copy
// bounds its light from below only. And no content is brighter than white,
// so the opacity is at least the light of the black copy. Dither, or the
// wrong curve, can make the bounds cross.
OpacityBounds BoundsOf(LinearLightMatte const& matte, int const (&copiedBlack)[3], int const (&copiedWhite)[3])
{
    float const perWhite = 1 / matte.whiteLight;
    OpacityBounds bounds;
    for (int c = 0; c < 3; ++c) {
        int const k = copiedBlack[c];
        int const w = copiedWhite[c];
        bounds.lower = std::max({bounds.lower, matte.lightFrom[k], 1 - (matte.lightUpTo[w] - matte.lightFrom[k]) * perWhite});
        bounds.upper = std::min(bounds.upper, 1 - (matte.lightFrom[w] - matte.lightUpTo[k]) * perWhite);
        bounds.clippedOverBlack += k >= matte.clippedFrom;
    }
    return bounds;
}

void Channels(std::uint32_t pixel, int (&channels)[3])
{
    for (int c = 0; c < 3; ++c)
        channels[c] = static_cast<int>(pixel >> (8 * c) & 0xFF);
}

// Whether the bounds of a pixel's copies cross through `matte` by more than
// float rounding: never through the screen's own curve, but where dither or
// a change between the copies has them cross.
bool Crosses(LinearLightMatte const& matte, int const (&copiedBlack)[3], int const (&copiedWhite)[3])
{
    OpacityBounds const bounds = BoundsOf(matte, copiedBlack, copiedWhite);
    return bounds.lower - bounds.upper > kCrossingSlack;
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

LinearLightMatte MakeLinearLightMatte(CopyTransfer transfer, std::uint8_t whiteBackdrop, CurveFit fit)
{
    LinearLightMatte matte = {};
    matte.clippedFrom = ClipLevel(transfer);
    std::size_t const usable = static_cast<std::size_t>(
        std::find_if(transfer.copied.begin(), transfer.copied.end(),
                     [&](std::uint8_t copied) { return copied >= matte.clippedFrom; }) -
        transfer.copied.begin());
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
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t const overBlack = black[i] & 0x00FFFFFFu;
        std::uint32_t const overWhite = white[i] & 0x00FFFFFFu;
        int copiedBlack[3], copiedWhite[3];
        Channels(overBlack, copiedBlack);
        Channels(overWhite, copiedWhite);
        if (WithinNoise(overBlack, matte.blackShown, matte.noise) && WithinNoise(overWhite, matte.whiteShown, matte.noise)) {
            white[i] = 0;
            continue;
        }
        if (WithinNoise(overBlack, overWhite, 2 * matte.noise)) {
            white[i] = 0xFF000000u | std::uint32_t{matte.opaqueColour[copiedBlack[2]]} << 16 |
                       std::uint32_t{matte.opaqueColour[copiedBlack[1]]} << 8 | matte.opaqueColour[copiedBlack[0]];
            continue;
        }
        // The opacity is the middle of what every channel allows: the
        // brighter a copy, the more light each of its steps stands for, and
        // each channel tells the opacity in a different place. Where the
        // bounds cross, their middle is still the best guess. Content
        // brighter than the copies show in every channel is white, and
        // opaque.
        OpacityBounds const bounds = BoundsOf(matte, copiedBlack, copiedWhite);
        float const alpha = bounds.clippedOverBlack == 3 ? 1 : (bounds.lower + bounds.upper) / 2;
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

SdrCurve CurveTheColoursShow(const std::uint32_t* black, const std::uint32_t* white, std::int32_t count,
                             CopyTransfer transfer, std::uint8_t whiteBackdrop)
{
    LinearLightMatte const piecewise = MakeLinearLightMatte(transfer, whiteBackdrop, {SdrCurve::PiecewiseSrgb});
    LinearLightMatte const power = MakeLinearLightMatte(transfer, whiteBackdrop, {SdrCurve::Power22});
    // A pixel votes for a curve where only the other's bounds cross; where
    // both cross, the copies disagree for another reason.
    std::int64_t forPiecewise = 0, forPower = 0;
    for (std::int64_t run = 0; run < count && forPiecewise + forPower < kEnoughVotes; run += kVoteRun * kVoteRuns) {
        for (std::int64_t i = run; i < std::min<std::int64_t>(count, run + kVoteRun); ++i) {
            std::uint32_t const overBlack = black[i] & 0x00FFFFFFu;
            std::uint32_t const overWhite = white[i] & 0x00FFFFFFu;
            if (overBlack == overWhite || (overBlack == piecewise.blackShown && overWhite == piecewise.whiteShown))
                continue; // opaque, or nothing: alike through either curve
            int copiedBlack[3], copiedWhite[3];
            Channels(overBlack, copiedBlack);
            Channels(overWhite, copiedWhite);
            bool const crossesPiecewise = Crosses(piecewise, copiedBlack, copiedWhite);
            bool const crossesPower = Crosses(power, copiedBlack, copiedWhite);
            forPiecewise += crossesPower && !crossesPiecewise;
            forPower += crossesPiecewise && !crossesPower;
        }
    }
    if (forPiecewise >= kTellingVotes && forPiecewise > kClearlyMore * forPower)
        return SdrCurve::PiecewiseSrgb;
    if (forPower >= kTellingVotes && forPower > kClearlyMore * forPiecewise)
        return SdrCurve::Power22;
    return SdrCurve::Between;
}
