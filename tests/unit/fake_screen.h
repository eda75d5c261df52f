#pragma once

// A screen for the capture's decisions (capture/capture_policy.h), played by
// the compositor models: a desktop, the target window with its shadow, a
// window in front of it, and the backdrop the capture shows, composed and
// copied as the model says. Copies can be made stale, as a script says.

#include "capture/capture_policy.h"
#include "compositor_model.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

// What a copy shows instead of its own pass's frame.
enum class StaleCopy {
    None,
    BeforeTheBackdrop, // the screen before the backdrop came
    OtherPass,         // the other pass's backdrop, still on the screen
    TornWithTheScreenBefore, // a band of rows from the screen before the backdrop
};

struct FakeScene {
    CaptureRect screen = {0, 0, 640, 480};
    std::uint32_t desktop = 0xFF808080u;
    CaptureRect window = {200, 150, 320, 230};
    // The straight pixel the window shows at (x, y) of itself, at the n-th
    // copy made of the screen.
    std::function<std::uint32_t(std::int32_t x, std::int32_t y, int copy)> content;
    // A black shadow around the window, fading out over `shadowReach` pixels
    // from `shadowAlpha` next to it.
    std::int32_t shadowReach = 0;
    std::uint8_t shadowAlpha = 0;
    // A topmost window in front of the target, in its one straight colour.
    CaptureRect cover = {0, 0, 0, 0};
    std::uint32_t coverColour = 0;
    bool rises = true;          // the target comes to stand directly above the backdrop
    bool buffersFail = false;   // the system has no memory for the buffers
    CompositorModel model = {"eight_bit", Blending::EightBit};
    std::deque<StaleCopy> script; // what the next copies show, one a copy; current after it runs out
};

class FakeScreen final : public CaptureScreen {
public:
    explicit FakeScreen(FakeScene scene) : m_scene(std::move(scene)) {}

    bool MakeBuffers(CaptureRect frame, PixelBuffer& black, PixelBuffer& white) override;
    TargetStanding ShowBackdrop(Backdrop pass) override;
    void CopyScreen(Backdrop pass, CopyTiming timing) override;
    void HideBackdrop() override;

    int copies[2] = {0, 0};      // made of each pass, black first
    int copiesAfterAFrame = 0;   // of them, once the compositor had a frame
    int buffersMade = 0;
    std::vector<CaptureRect> frames; // of every MakeBuffers

private:
    // The straight pixel of the window or its shadow at (x, y) on the screen.
    std::uint32_t WindowAt(std::int32_t x, std::int32_t y) const;
    std::uint32_t CopyAt(std::int32_t x, std::int32_t y, std::vector<std::uint32_t> const* backdrop) const;

    FakeScene m_scene;
    CaptureRect m_frame = {0, 0, 0, 0};
    std::vector<std::uint32_t> m_buffers[2];
    std::vector<std::uint32_t> m_shown[2]; // the backdrop each pass last showed
    int m_showing = -1;                    // the pass whose backdrop stands now
    int m_copiesMade = 0;
};
