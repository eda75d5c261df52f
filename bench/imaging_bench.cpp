// The imaging kernels on 4K captures of a synthetic window, each beside a
// trivial pass over the same memory: how far each kernel is from memory speed.

#include "ratio_report.h"
#include "synthetic_capture.h"

#include "capture/copy_check.h"
#include "capture/screen_transfer.h"
#include "imaging/auto_crop.h"
#include "imaging/checkerboard.h"
#include "imaging/instruction_set.h"
#include "imaging/matting.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr std::int32_t kWidth = 3840, kHeight = 2160, kMargin = 15;

using Pixels = std::vector<std::uint32_t>;

// The window with its shadow inside a transparent frame, as captured.
SyntheticCapture const& FramedCapture()
{
    static SyntheticCapture const capture = MakeSyntheticCapture(kWidth, kHeight, kMargin);
    return capture;
}

// The same window with its shadow running off every edge.
SyntheticCapture const& EdgeToEdgeCapture()
{
    static SyntheticCapture const capture = MakeSyntheticCapture(kWidth, kHeight, 0);
    return capture;
}

std::int32_t PixelTotal(SyntheticCapture const& capture) { return capture.width * capture.height; }

// Times `pass` over a copy of `source`, once per iteration. Every kernel works
// in place, so each iteration starts again from the untouched frame, copied
// outside the timed region.
template <typename Pass>
void TimeOnFreshCopy(benchmark::State& state, Pixels const& source, Pass pass)
{
    Pixels image = source;
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(source.begin(), source.end(), image.begin());
        state.ResumeTiming();
        pass(image);
        benchmark::ClobberMemory();
    }
}

// The same with the imaging operations forced onto `set`.
template <typename Pass>
void TimeOnFreshCopy(benchmark::State& state, InstructionSet set, Pixels const& source, Pass pass)
{
    InstructionSet const previous = ActiveInstructionSet();
    UseInstructionSet(set);
    state.SetLabel(InstructionSetName(ActiveInstructionSet()));
    TimeOnFreshCopy(state, source, pass);
    UseInstructionSet(previous);
}

void RecoverAlphaOn(benchmark::State& state, InstructionSet set)
{
    SyntheticCapture const& capture = FramedCapture();
    TimeOnFreshCopy(state, set, capture.white,
                    [&](Pixels& white) { RecoverAlpha(capture.black.data(), white.data(), PixelTotal(capture)); });
}

void ReadTwoWriteOne(benchmark::State& state)
{
    SyntheticCapture const& capture = FramedCapture();
    TimeOnFreshCopy(state, capture.white, [&](Pixels& white) {
        for (std::size_t i = 0; i < white.size(); ++i)
            white[i] ^= capture.black[i];
    });
}

void CompositeOn(benchmark::State& state, InstructionSet set)
{
    SyntheticCapture const& capture = FramedCapture();
    TimeOnFreshCopy(state, set, capture.matted,
                    [&](Pixels& image) { CompositeOnCheckerboard(image.data(), capture.width, capture.height); });
}

void ReadModifyWrite(benchmark::State& state)
{
    TimeOnFreshCopy(state, FramedCapture().matted, [](Pixels& image) {
        for (std::uint32_t& pixel : image)
            pixel ^= 0x01010101u;
    });
}

void AutoCropFramed(benchmark::State& state)
{
    SyntheticCapture const& capture = FramedCapture();
    TimeOnFreshCopy(state, capture.matted, [&](Pixels& image) {
        std::int32_t width = capture.width, height = capture.height;
        AutoCrop(image.data(), width, height);
        if (width != kWidth - 2 * kMargin || height != kHeight - 2 * kMargin)
            state.SkipWithError("the synthetic frame did not crop to its margin");
    });
}

// One block move of the pixels the crop keeps, to the start of the frame.
void MoveKeptPixels(benchmark::State& state)
{
    std::size_t const kept = static_cast<std::size_t>(kWidth - 2 * kMargin) * (kHeight - 2 * kMargin);
    TimeOnFreshCopy(state, FramedCapture().matted, [&](Pixels& image) {
        std::memmove(image.data(), image.data() + kMargin * kWidth + kMargin, kept * sizeof(std::uint32_t));
    });
}

void AutoCropEdgeToEdge(benchmark::State& state)
{
    SyntheticCapture const& capture = EdgeToEdgeCapture();
    Pixels image = capture.matted;
    for (auto _ : state) {
        std::int32_t width = capture.width, height = capture.height;
        AutoCrop(image.data(), width, height);
        benchmark::ClobberMemory();
        if (width != kWidth || height != kHeight)
            state.SkipWithError("the edge-to-edge frame was cropped");
    }
}

void ReadFrame(benchmark::State& state)
{
    Pixels const& image = EdgeToEdgeCapture().matted;
    for (auto _ : state) {
        std::uint32_t any = 0;
        for (std::uint32_t pixel : image)
            any |= pixel;
        benchmark::DoNotOptimize(any);
    }
}

CaptureRect const kInner = {kTagRingWidth, kTagRingWidth, kWidth - kTagRingWidth, kHeight - kTagRingWidth};
CaptureRect const kScreen[] = {{0, 0, kWidth, kHeight}};

// The synthetic pair inside the tag ring and its staircase, as a capture
// copies it.
struct FramedPair {
    Pixels black;
    Pixels white;
    BackdropCopies Copies() const { return {black.data(), white.data(), kWidth, kHeight, kInner, {}, kScreen}; }
};

FramedPair const& CopiedPair()
{
    static FramedPair const pair = [] {
        SyntheticCapture const& capture = FramedCapture();
        FramedPair framed = {Pixels(capture.black.size()), Pixels(capture.white.size())};
        PaintBackdrop(framed.black.data(), kWidth, kHeight, kInner, Backdrop::Black);
        PaintBackdrop(framed.white.data(), kWidth, kHeight, kInner, Backdrop::White);
        for (std::int32_t y = kInner.top; y < kInner.bottom; ++y) {
            std::size_t const row = static_cast<std::size_t>(y) * kWidth;
            std::copy(capture.black.begin() + row + kInner.left, capture.black.begin() + row + kInner.right,
                      framed.black.begin() + row + kInner.left);
            std::copy(capture.white.begin() + row + kInner.left, capture.white.begin() + row + kInner.right,
                      framed.white.begin() + row + kInner.left);
        }
        return framed;
    }();
    return pair;
}

// The check that both copies show their own pass's frame, run before every
// matting.
void FindStaleCopiesOnPair(benchmark::State& state)
{
    for (auto _ : state) {
        StaleCopies const stale = FindStaleCopies(CopiedPair().Copies());
        benchmark::DoNotOptimize(stale);
        if (stale.Any())
            state.SkipWithError("the synthetic pair was taken for a stale one");
    }
}

// What a capture adds where the screen composes in linear light: the reading
// of the staircase, and the matting through it.
void MeasureTransferOnPair(benchmark::State& state)
{
    for (auto _ : state) {
        std::optional<ScreenTransfer> const transfer = MeasureTransfer(CopiedPair().Copies(), kScreen[0]);
        benchmark::DoNotOptimize(transfer);
        if (!transfer)
            state.SkipWithError("the staircase of the synthetic pair was not read");
    }
}

void RecoverAlphaInLinearLightOn(benchmark::State& state)
{
    SyntheticCapture const& capture = FramedCapture();
    ColourPipeline const pipeline = {true};
    TimeOnFreshCopy(state, capture.white,
                    [&](Pixels& white) { MatteCopies(capture.black.data(), white.data(), PixelTotal(capture), pipeline); });
}

// The same on a screen that brightens SDR content twice and dithers each
// copy by a step: its staircase as read (level 16 copied as 26, level 176
// and above clipped), so that the curve and boost are fitted, and every
// bound is widened by the noise.
void RecoverAlphaBoostedAndDithered(benchmark::State& state)
{
    SyntheticCapture const& capture = FramedCapture();
    ColourPipeline pipeline = {true};
    pipeline.transfer = {{0, 26, 47, 69, 90, 111, 133, 154, 176, 197, 218, 240, 255, 255, 255, 255, 255}, 1};
    pipeline.whiteBackdrop = WhiteBackdropLevel(pipeline);
    TimeOnFreshCopy(state, capture.white,
                    [&](Pixels& white) { MatteCopies(capture.black.data(), white.data(), PixelTotal(capture), pipeline); });
}

// Both backdrops with their rings, painted once per pass.
void PaintBothBackdrops(benchmark::State& state)
{
    Pixels frame(static_cast<std::size_t>(kWidth) * kHeight);
    for (auto _ : state) {
        PaintBackdrop(frame.data(), kWidth, kHeight, kInner, Backdrop::Black);
        PaintBackdrop(frame.data(), kWidth, kHeight, kInner, Backdrop::White);
        benchmark::ClobberMemory();
    }
}

void Register(const char* name, void (*run)(benchmark::State&))
{
    benchmark::RegisterBenchmark(name, run)->Unit(benchmark::kMicrosecond);
}

void RegisterOn(const char* name, void (*run)(benchmark::State&, InstructionSet), InstructionSet set)
{
    benchmark::RegisterBenchmark(name, run, set)->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char** argv)
{
    InstructionSet const best = ActiveInstructionSet();
    RegisterOn("recover_alpha", RecoverAlphaOn, best);
    RegisterOn("recover_alpha_scalar", RecoverAlphaOn, InstructionSet::Scalar);
    Register("read2_write1", ReadTwoWriteOne);
    RegisterOn("composite", CompositeOn, best);
    RegisterOn("composite_scalar", CompositeOn, InstructionSet::Scalar);
    Register("read_modify_write", ReadModifyWrite);
    Register("auto_crop", AutoCropFramed);
    Register("memmove_kept", MoveKeptPixels);
    Register("auto_crop_edge_to_edge", AutoCropEdgeToEdge);
    Register("read_frame", ReadFrame);
    Register("find_stale_copies", FindStaleCopiesOnPair);
    Register("measure_transfer", MeasureTransferOnPair);
    Register("paint_both_backdrops", PaintBothBackdrops);
    Register("recover_alpha_in_linear_light", RecoverAlphaInLinearLightOn);
    Register("recover_alpha_boosted_dithered", RecoverAlphaBoostedAndDithered);
    return RunBenchmarksWithRatios(argc, argv,
                                   {{"recover_alpha", "read2_write1"},
                                    {"recover_alpha_scalar", "read2_write1"},
                                    {"composite", "read_modify_write"},
                                    {"composite_scalar", "read_modify_write"},
                                    {"auto_crop", "memmove_kept"},
                                    {"auto_crop_edge_to_edge", "read_frame"},
                                    {"find_stale_copies", "recover_alpha"},
                                    {"measure_transfer", "recover_alpha"},
                                    {"paint_both_backdrops", "recover_alpha"},
                                    {"recover_alpha_in_linear_light", "recover_alpha"},
                                    {"recover_alpha_boosted_dithered", "recover_alpha"}});
}
