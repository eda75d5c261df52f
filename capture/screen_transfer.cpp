#include "capture/screen_transfer.h"

#include "capture/judged_pixels.h"
#include "imaging/matting.h"
#include "imaging/sdr_curve.h"

#include <algorithm>
#include <cmath>

namespace {

// A step seen on fewer pixels than this tells too little: a few pixels of a
// shadow or a caret could be most of them.
std::int64_t const kStepPixelsNeeded = 4;

constexpr std::array<std::uint8_t, kStaircaseSteps> StaircaseLevels()
{
    std::array<std::uint8_t, kStaircaseSteps> levels = {};
    for (int step = 0; step < kStaircaseSteps; ++step)
        levels[step] = StaircaseLevel(step);
    return levels;
}

constexpr std::array<std::uint8_t, kStaircaseSteps> kStaircaseLevels = StaircaseLevels();

// The value below which lie more than `parts` eighths of a histogram of
// `total` values.
int Quantile(std::array<std::int64_t, 256> const& histogram, std::int64_t total, int parts)
{
    std::int64_t below = 0;
    for (int value = 0; value < 256; ++value) {
        below += histogram[value];
        if (8 * below > parts * total)
            return value;
    }
    return 255;
}

// As far as the values of a step lie from its middle, but for a quarter of
// them at either end: a shadow over some of the step's pixels is not noise,
// and a dither of a step either way moves a third of them.
int Spread(std::array<std::int64_t, 256> const& histogram, std::int64_t total, int middle)
{
    return std::max(middle - Quantile(histogram, total, 2), Quantile(histogram, total, 6) - middle);
}

} // namespace

CopyTransfer ScreenTransfer::Levels() const
{
    return {kStaircaseLevels, copied, noise};
}

ScreenTransfer IdentityTransfer()
{
    return {kStaircaseLevels};
}

ScreenTransfer TransferAtWhiteLevel(double sdrWhiteNits)
{
    double const kScRgbWhiteNits = 80;
    double const boost = std::max(1.0, sdrWhiteNits / kScRgbWhiteNits);
    ScreenTransfer transfer = IdentityTransfer();
    for (std::uint8_t& copied : transfer.copied) {
        double const light = std::min(1.0, boost * DecodeLevel(SdrCurve::PiecewiseSrgb, copied / 255.0));
        copied = static_cast<std::uint8_t>(std::lround(255 * EncodeLight(SdrCurve::PiecewiseSrgb, light)));
    }
    return transfer;
}

std::optional<ScreenTransfer> MeasureTransfer(BackdropCopies const& copies, CaptureRect monitor)
{
    std::array<std::array<std::int64_t, 256>, kStaircaseSteps> histograms = {};
    std::array<std::int64_t, kStaircaseSteps> pixelsSeen = {};
    auto const countStep = [&](std::int32_t x, std::int32_t y) {
        if (IsTagPixel(x, y, copies.width, copies.height, copies.inner) || x < monitor.left || x >= monitor.right ||
            y < monitor.top || y >= monitor.bottom)
            return;
        int const step = StaircaseStepAt(x, y);
        std::int64_t const at = std::int64_t{y} * copies.width + x;
        for (std::uint32_t const pixel : {copies.black[at], copies.white[at]})
            for (int shift : {0, 8, 16})
                ++histograms[step][pixel >> shift & 0xFF];
        ++pixelsSeen[step];
    };
    ForEachJudgedPixel(copies, countStep, [](std::int32_t, std::int32_t, std::int32_t) {});
    ScreenTransfer transfer = {};
    for (int step = 0; step < kStaircaseSteps; ++step) {
        if (pixelsSeen[step] < kStepPixelsNeeded)
            return std::nullopt;
        int const middle = Quantile(histograms[step], 6 * pixelsSeen[step], 4);
        transfer.copied[step] = static_cast<std::uint8_t>(middle);
        transfer.noise = static_cast<std::uint8_t>(
            std::max<int>(transfer.noise, Spread(histograms[step], 6 * pixelsSeen[step], middle)));
    }
    if (!std::is_sorted(transfer.copied.begin(), transfer.copied.end()) ||
        transfer.copied.front() == transfer.copied.back())
        return std::nullopt;
    return transfer;
}

std::uint8_t WhiteBackdropLevel(ColourPipeline const& pipeline)
{
    return pipeline.linearLight ? HighestUnclippedLevel(pipeline.transfer.Levels()) : 255;
}

std::uint8_t WhiteShown(ColourPipeline const& pipeline)
{
    return CopiedLevel(pipeline.transfer.Levels(), pipeline.whiteBackdrop);
}

SdrCurve MatteCopies(std::uint32_t const* black, std::uint32_t* white, std::int32_t count, ColourPipeline const& pipeline)
{
    if (!pipeline.linearLight) {
        RecoverAlpha(black, white, count);
        return SdrCurve::Between;
    }
    CopyTransfer const levels = pipeline.transfer.Levels();
    CurveFit fit = FitCurve(levels);
    SdrCurve told = SdrCurve::Between;
    // The screen keeps its curve: once its colours told it, they need not
    // be asked again.
    if (fit.curve == SdrCurve::Between && pipeline.transfer.curve != SdrCurve::Between)
        fit.curve = pipeline.transfer.curve;
    else if (fit.curve == SdrCurve::Between)
        fit.curve = told = CurveTheColoursShow(black, white, count, levels, pipeline.whiteBackdrop);
    RecoverAlphaInLinearLight(black, white, count, MakeLinearLightMatte(levels, pipeline.whiteBackdrop, fit));
    return told;
}
