#include "capture/copy_check.h"

#include "capture/judged_pixels.h"
#include "capture/pair_rules.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

int const kBlue = 0;
int const kGreen = 1;
int const kRed = 2;

using pair_rules::Channel;

// The primary that the pass's ring shows at (x, y): the passes differ at every
// pixel, and each alternates between two primaries along its ring.
int TagChannel(Backdrop pass, std::int32_t x, std::int32_t y)
{
    bool const even = ((x ^ y) & 1) == 0; // the parity of x + y, without its overflow
    if (pass == Backdrop::Black)
        return even ? kBlue : kGreen;
    return even ? kRed : kBlue;
}

// A primary, darkened or not, as colour management may return it: the
// largest channel by half again. A Rec. 2020 output turns pure green into
// about (156, 245, 84), a Display P3 one pure red into (234, 51, 35); the
// alternating pattern around the ring, not the purity of one pixel, rules out
// a chance match. A primary darkened to what dither can make of black is
// none.
bool ShowsTag(std::uint32_t pixel, int channel)
{
    int other = 0;
    for (int c = 0; c < 3; ++c) {
        if (c != channel)
            other = std::max(other, Channel(pixel, c));
    }
    int const tag = Channel(pixel, channel);
    return tag > kPairSlack && 2 * tag > 3 * other;
}

// Whether the copies agree at a pixel within the dither: what the backdrop
// cannot show looks the same in both.
bool SameWithinDither(std::uint32_t black, std::uint32_t white)
{
    for (int c = 0; c < 3; ++c) {
        if (std::abs(Channel(black, c) - Channel(white, c)) > kPairSlack)
            return false;
    }
    return true;
}

// Black in the black copy and the white backdrop in the white one: no window
// at all, or one wholly transparent there.
bool ShowsTheBackdropAlone(std::uint32_t black, std::uint32_t white, int whiteShown)
{
    for (int channel : {kBlue, kGreen, kRed}) {
        if (Channel(black, channel) > kPairSlack || std::abs(Channel(white, channel) - whiteShown) > kPairSlack)
            return false;
    }
    return true;
}

} // namespace

CaptureRect TagFrameAround(CaptureRect rect, CaptureRect screen)
{
    // Grown in 64 bits: a side already past the screen's edge stays where it is.
    auto const room = [](std::int64_t space) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(space, 0, kTagRingWidth)); };
    CaptureRect frame = rect;
    frame.left -= room(std::int64_t{rect.left} - screen.left);
    frame.top -= room(std::int64_t{rect.top} - screen.top);
    frame.right += room(std::int64_t{screen.right} - rect.right);
    frame.bottom += room(std::int64_t{screen.bottom} - rect.bottom);
    return frame;
}

int StaircaseStepAt(std::int32_t x, std::int32_t y)
{
    return static_cast<int>((std::int64_t{x} + y) % kStaircaseSteps);
}

bool IsTagPixel(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, CaptureRect inner)
{
    return (x == 0 && inner.left > 0) || (y == 0 && inner.top > 0) || (x == width - 1 && inner.right < width) ||
           (y == height - 1 && inner.bottom < height);
}

void PaintBackdrop(std::uint32_t* pixels, std::int32_t width, std::int32_t height, CaptureRect inner, Backdrop pass,
                   std::uint8_t white)
{
    auto const ring = [&](std::int32_t x, std::int32_t y) {
        if (IsTagPixel(x, y, width, height, inner))
            return 0xFF000000u | 0xFFu << (8 * TagChannel(pass, x, y));
        return 0xFF000000u | StaircaseLevel(StaircaseStepAt(x, y)) * 0x010101u;
    };
    std::uint32_t const fill = 0xFF000000u | (pass == Backdrop::Black ? 0 : white * 0x010101u);
    std::int32_t const left = std::clamp(inner.left, 0, width);
    std::int32_t const right = std::clamp(inner.right, left, width);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::int64_t>(y) * width;
        bool const ringRow = y < inner.top || y >= inner.bottom;
        for (std::int32_t x = 0; x < (ringRow ? width : left); ++x)
            row[x] = ring(x, y);
        if (ringRow)
            continue;
        std::fill(row + left, row + right, fill);
        for (std::int32_t x = right; x < width; ++x)
            row[x] = ring(x, y);
    }
}

StaleCopies FindStaleCopies(BackdropCopies const& copies)
{
    StaleCopies stale = {false, false};
    std::int64_t ringSeen = 0;
    std::int64_t blackTags = 0;
    std::int64_t whiteTags = 0;
    // For each pass, the parities (x + y even, odd) at which a ring pixel the
    // same in both copies shows that pass's tag.
    bool sameTagged[2][2] = {};
    std::int64_t pairFaults = 0;
    auto const at = [&](std::uint32_t const* pixels, std::int32_t x, std::int32_t y) {
        return pixels[static_cast<std::int64_t>(y) * copies.width + x];
    };
    auto const judgeRing = [&](std::int32_t x, std::int32_t y) {
        if (!IsTagPixel(x, y, copies.width, copies.height, copies.inner))
            return;
        std::uint32_t const black = at(copies.black, x, y);
        std::uint32_t const white = at(copies.white, x, y);
        ++ringSeen;
        if (SameWithinDither(black, white)) {
            // Under something the backdrop cannot show, unless the pixels
            // show a pass's tags in turn: then one copy shows the other
            // pass's frame. A window of one colour in front matches a tag at
            // every other pixel at most.
            int const parity = (x ^ y) & 1;
            for (Backdrop pass : {Backdrop::Black, Backdrop::White}) {
                if (ShowsTag(black, TagChannel(pass, x, y)))
                    sameTagged[pass == Backdrop::White][parity] = true;
            }
            return;
        }
        bool const blackTagged = ShowsTag(black, TagChannel(Backdrop::Black, x, y));
        bool const whiteTagged = ShowsTag(white, TagChannel(Backdrop::White, x, y));
        stale.black = stale.black || !blackTagged;
        stale.white = stale.white || !whiteTagged;
        blackTags += blackTagged;
        whiteTags += whiteTagged;
    };
    std::int64_t windowSeen = 0;
    bool windowShows = false;
    CaptureRect const window = copies.window;
    auto const judgePair = [&](std::int32_t y, std::int32_t begin, std::int32_t end) {
        std::uint32_t const* black = copies.black + static_cast<std::int64_t>(y) * copies.width;
        std::uint32_t const* white = copies.white + static_cast<std::int64_t>(y) * copies.width;
        pairFaults += CountPairFaults(black + begin, white + begin, end - begin);
        if (y < window.top || y >= window.bottom)
            return;
        std::int32_t const left = std::max(begin, window.left);
        std::int32_t const right = std::min(end, window.right);
        windowSeen += std::max(right - left, 0);
        for (std::int32_t x = left; x < right && !windowShows; ++x)
            windowShows = !ShowsTheBackdropAlone(black[x], white[x], copies.whiteShown);
    };
    ForEachJudgedPixel(copies, judgeRing, judgePair);
    if (windowSeen > 0 && !windowShows)
        stale = kBothCopiesStale;

    // A ring in view that shows no tag of a pass: that copy never saw its
    // backdrop.
    stale.black = stale.black || (ringSeen > 0 && blackTags == 0);
    stale.white = stale.white || (ringSeen > 0 && whiteTags == 0);
    for (auto const& parities : sameTagged) {
        if (parities[0] && parities[1])
            stale = kBothCopiesStale;
    }
    if (pairFaults > kPairFaultsForgiven)
        stale = kBothCopiesStale;
    return stale;
}

bool TagRingInView(BackdropCopies const& copies)
{
    bool seen = false;
    ForEachJudgedPixel(
        copies,
        [&](std::int32_t x, std::int32_t y) { seen = seen || IsTagPixel(x, y, copies.width, copies.height, copies.inner); },
        [](std::int32_t, std::int32_t, std::int32_t) {});
    return seen;
}

std::uint64_t PixelChecksum(std::uint32_t const* pixels, std::int64_t count)
{
    // FNV-1a over whole pixels: any changed pixel changes it, in one pass.
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (std::int64_t i = 0; i < count; ++i)
        hash = (hash ^ pixels[i]) * 0x100000001B3u;
    return hash;
}
