#include "imaging/linear_matting.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

double DecodeSrgb(double encoded)
{
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double EncodeSrgb(double light)
{
    return light <= 0.0031308 ? light * 12.92 : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
}

// Whether a copy of a level below white came back clipped.
bool Clips(CopyTransfer transfer)
{
    for (std::size_t i = 0; i < transfer.painted.size(); ++i) {
        if (transfer.painted[i] < 255 && transfer.copied[i] >= kClippedCopy)
            return true;
    }
    return false;
}

// The painted level that a copy of `copied` shows, between the transfer's
// levels along a straight line: a screen that lifts SDR content in linear
// light and encodes it to sRGB again maps levels very nearly along straight
// lines, exactly so outside the darkest few. Past the last level the copy did
// not clip, the last line goes on. `usable` is the number of levels to go by.
double PaintedLevelOf(int copied, CopyTransfer transfer, std::size_t usable)
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

} // namespace

std::uint8_t HighestUnclippedLevel(CopyTransfer transfer)
{
    if (!Clips(transfer))
        return 255;
    std::uint8_t level = 0;
    for (std::size_t i = 0; i < transfer.painted.size() && transfer.copied[i] < kClippedCopy; ++i)
        level = transfer.painted[i];
    return level;
}

LinearLightMatte MakeLinearLightMatte(CopyTransfer transfer, std::uint8_t whiteBackdrop)
{
    bool const clips = Clips(transfer);
    std::size_t usable = transfer.painted.size();
    if (clips)
        usable = std::find_if(transfer.copied.begin(), transfer.copied.end(),
                              [](std::uint8_t copied) { return copied >= kClippedCopy; }) -
                 transfer.copied.begin();
    LinearLightMatte matte = {};
    for (int copied = 0; copied < 256; ++copied)
        matte.light[copied] = static_cast<float>(DecodeSrgb(PaintedLevelOf(copied, transfer, usable) / 255));
    matte.clippedFrom = clips ? kClippedCopy : 256;
    // A backdrop at black would tell no opacity; one level up tells little,
    // but divides by something.
    matte.whiteLight = static_cast<float>(DecodeSrgb(std::max<int>(whiteBackdrop, 1) / 255.0));
    matte.encoded.resize(kEncodeSteps + 1);
    for (int step = 0; step <= kEncodeSteps; ++step)
        matte.encoded[step] = static_cast<std::uint8_t>(std::lround(255 * EncodeSrgb(double(step) / kEncodeSteps)));
    return matte;
}

void RecoverAlphaInLinearLight(const std::uint32_t* black, std::uint32_t* white, std::int32_t count,
                               LinearLightMatte const& matte)
{
    float const perWhite = 1 / matte.whiteLight;
    float const clipLight = matte.light[255];
    auto const encode = [&](float light) {
        return std::uint32_t{matte.encoded[static_cast<std::size_t>(std::lround(std::clamp(light, 0.0f, 1.0f) * kEncodeSteps))]};
    };
    for (std::int32_t i = 0; i < count; ++i) {
        int copiedBlack[3], copiedWhite[3];
        for (int c = 0; c < 3; ++c) {
            copiedBlack[c] = static_cast<int>(black[i] >> (8 * c) & 0xFF);
            copiedWhite[c] = static_cast<int>(white[i] >> (8 * c) & 0xFF);
        }
        // Each channel the white copy did not clip tells the opacity, the
        // darkest most finely: a copy's steps stand for ever more light the
        // brighter it is. A clipped one only bounds it: from above, as its
        // light is at least the clip's; from below, as no content is brighter
        // than white, by what the black copy shows.
        int darkest = -1;
        int clippedOverBlack = 0;
        float upper = 1;
        float lower = 0;
        for (int c = 0; c < 3; ++c) {
            float const shownOverBlack = matte.light[copiedBlack[c]];
            lower = std::max(lower, shownOverBlack);
            clippedOverBlack += copiedBlack[c] >= matte.clippedFrom;
            if (copiedWhite[c] >= matte.clippedFrom)
                upper = std::min(upper, 1 - (clipLight - shownOverBlack) * perWhite);
            else if (darkest < 0 || copiedBlack[c] < copiedBlack[darkest])
                darkest = c;
        }
        // Where no channel tells it, the middle of what the bounds leave; but
        // content brighter than the copies show in every channel is white,
        // and opaque.
        float alpha = clippedOverBlack == 3 ? 1 : (lower + upper) / 2;
        if (darkest >= 0)
            alpha = 1 - (matte.light[copiedWhite[darkest]] - matte.light[copiedBlack[darkest]]) * perWhite;
        // Above 1 the content changed between the copies: opaque, as the
        // black copy shows it, as RecoverAlpha keeps it.
        long const opacity = std::clamp(std::lround(alpha * 255), 0L, 255L);
        if (opacity == 0) {
            white[i] = 0;
            continue;
        }
        float const perOpacity = 255.0f / static_cast<float>(opacity);
        std::uint32_t pixel = static_cast<std::uint32_t>(opacity) << 24;
        for (int c = 0; c < 3; ++c) {
            std::uint32_t const colour =
                copiedBlack[c] >= matte.clippedFrom ? 255u : encode(matte.light[copiedBlack[c]] * perOpacity);
            pixel |= colour << (8 * c);
        }
        white[i] = pixel;
    }
}
