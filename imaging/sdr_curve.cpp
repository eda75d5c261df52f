#include "imaging/sdr_curve.h"

#include "imaging/linear_matting.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// The squared distance of the unclipped copies from what a screen returns
// that brightens light by `boost` between decoding and encoding by `curve`.
double FitError(CopyTransfer transfer, int clip, SdrCurve curve, double boost)
{
    double error = 0;
    for (std::size_t i = 0; i < transfer.painted.size() && transfer.copied[i] < clip; ++i) {
        double const light = std::min(1.0, boost * DecodeLevel(curve, transfer.painted[i] / 255.0));
        double const miss = 255 * EncodeLight(curve, light) - transfer.copied[i];
        error += miss * miss;
    }
    return error;
}

// The boost from 1 to 8 that fits `curve` best: in twentieths, then in
// thousandths about the best of them, then in ten-thousandths. The error
// has one least value, and each search costs a matting a few lookups.
double BestBoost(CopyTransfer transfer, int clip, SdrCurve curve)
{
    auto const bestFrom = [&](double from, double to, double step) {
        double best = from;
        double least = FitError(transfer, clip, curve, from);
        for (double boost = from + step; boost <= to; boost += step) {
            double const error = FitError(transfer, clip, curve, boost);
            if (error < least) {
                least = error;
                best = boost;
            }
        }
        return best;
    };
    double const coarse = bestFrom(1.0, 8.0, 0.05);
    double const fine = bestFrom(std::max(1.0, coarse - 0.05), coarse + 0.05, 0.001);
    return bestFrom(std::max(1.0, fine - 0.001), fine + 0.001, 0.0001);
}

// Whether any copy came back brighter than painted by more than its
// rounding.
bool Brightens(CopyTransfer transfer)
{
    for (std::size_t i = 0; i < transfer.painted.size(); ++i)
        if (transfer.copied[i] > transfer.painted[i] + 1)
            return true;
    return false;
}

} // namespace

double EncodeLight(SdrCurve curve, double light)
{
    if (curve == SdrCurve::Power22)
        return std::pow(light, 1 / 2.2);
    return light <= 0.0031308 ? light * 12.92 : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
}

double DecodeLevel(SdrCurve curve, double encoded)
{
    if (curve == SdrCurve::Power22)
        return std::pow(encoded, 2.2);
    if (curve == SdrCurve::Between)
        return (DecodeLevel(SdrCurve::PiecewiseSrgb, encoded) + DecodeLevel(SdrCurve::Power22, encoded)) / 2;
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

CurveFit FitCurve(CopyTransfer transfer)
{
    if (!Brightens(transfer))
        return {};
    int const clip = ClipLevel(transfer);
    double const powerBoost = BestBoost(transfer, clip, SdrCurve::Power22);
    double const piecewiseBoost = BestBoost(transfer, clip, SdrCurve::PiecewiseSrgb);
    double const powerError = FitError(transfer, clip, SdrCurve::Power22, powerBoost);
    double const piecewiseError = FitError(transfer, clip, SdrCurve::PiecewiseSrgb, piecewiseBoost);
    CurveFit fit = powerError < piecewiseError ? CurveFit{SdrCurve::Power22, powerBoost}
                                               : CurveFit{SdrCurve::PiecewiseSrgb, piecewiseBoost};
    std::size_t const unclipped = static_cast<std::size_t>(
        std::count_if(transfer.copied.begin(), transfer.copied.end(), [&](std::uint8_t copied) { return copied < clip; }));
    fit.close = std::min(powerError, piecewiseError) <= double(unclipped);
    return fit;
}
