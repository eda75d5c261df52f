#include "capture/copy_check.h"

#include "capture/pair_rules.h"
#include "compositor_model.h"
#include "instruction_set_param.h"
#include "tests/support/sample_window/sample_pattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::int32_t const kMargin = 15;
std::uint32_t const kDesktopGrey = 0xFF808080u; // what xcompmgr paints where no window is
std::uint32_t const kTransparent = 0;

// A capture's surroundings: the target window with the margin around it, the
// tag ring on the sides where the screen has room, and what else the screen
// shows there.
struct Scene {
    std::int32_t windowWidth = 120;
    std::int32_t windowHeight = 80;
    // The straight pixel the window shows at (x, y) of itself.
    std::function<std::uint32_t(std::int32_t x, std::int32_t y)> window = [](std::int32_t x, std::int32_t y) {
        return SamplePixel(SampleMode::Pattern, x, y, 120, 80);
    };
    // The screen under everything: xcompmgr's grey unless a test paints it.
    std::function<std::uint32_t(std::int32_t x, std::int32_t y)> desktop = [](std::int32_t, std::int32_t) {
        return kDesktopGrey;
    };
    // Sides where the screen's edge leaves no room for the ring.
    bool ringLeft = true;
    bool ringTop = true;
    bool ringRight = true;
    bool ringBottom = true;
    // The window's shadow: this alpha of black over the margin and the ring.
    std::uint8_t shadow = 0;
    // Something in front of the target over part of the frame, in the frame's
    // coordinates, with its straight colour; listed as unseen or not.
    CaptureRect cover = {0, 0, 0, 0};
    std::uint32_t coverColour = 0;
    bool coverListed = true;
    // The monitors, in the frame's coordinates: by default one under all of it.
    std::vector<CaptureRect> monitors = {{0, 0, 1 << 20, 1 << 20}};
    // Rows at the bottom of the frame that lie on no monitor, where each copy
    // shows anything at all.
    std::int32_t gapRows = 0;
    // The level of the white backdrop: lower where the screen clips white.
    std::uint8_t white = 255;
    // How the screen is composed and copied: by default as on the test display.
    CompositorModel compositor = {"eight_bit", Blending::EightBit};
    // Copies made of the scene so far: each is dithered on its own.
    mutable std::uint64_t copiesMade = 0;

    CaptureRect Inner() const
    {
        std::int32_t const left = ringLeft ? kTagRingWidth : 0;
        std::int32_t const top = ringTop ? kTagRingWidth : 0;
        return {left, top, left + windowWidth + 2 * kMargin, top + windowHeight + 2 * kMargin};
    }
    std::int32_t Width() const { return Inner().right + (ringRight ? kTagRingWidth : 0); }
    std::int32_t Height() const { return Inner().bottom + (ringBottom ? kTagRingWidth : 0); }
    CaptureRect Window() const
    {
        CaptureRect const inner = Inner();
        return {inner.left + kMargin, inner.top + kMargin, inner.right - kMargin, inner.bottom - kMargin};
    }
    bool InWindow(std::int32_t x, std::int32_t y) const
    {
        CaptureRect const window = Window();
        return x >= window.left && y >= window.top && x < window.right && y < window.bottom;
    }
};

using Frame = std::vector<std::uint32_t>;

// The screen over the frame, bottom layer first, as the scene's compositor
// composes it.
class Screen {
public:
    explicit Screen(Scene const& scene) : m_scene(scene)
    {
        for (std::int32_t y = 0; y < scene.Height(); ++y)
            for (std::int32_t x = 0; x < scene.Width(); ++x)
                m_screen.push_back(ComposeOpaque(scene.compositor, scene.desktop(x, y)));
    }

    Screen& Backdrop(::Backdrop pass)
    {
        Frame painted(m_screen.size());
        PaintBackdrop(painted.data(), m_scene.Width(), m_scene.Height(), m_scene.Inner(), pass, m_scene.white);
        for (std::size_t i = 0; i < painted.size(); ++i)
            m_screen[i] = ComposeOpaque(m_scene.compositor, painted[i]);
        return *this;
    }

    // The window with its shadow around it, drawing the pixel `shown` gives.
    Screen& Window(std::function<std::uint32_t(std::int32_t x, std::int32_t y)> const& shown)
    {
        CaptureRect const inner = m_scene.Inner();
        return Each([&](std::int32_t x, std::int32_t y) {
            if (m_scene.InWindow(x, y))
                return shown(x - inner.left - kMargin, y - inner.top - kMargin);
            return static_cast<std::uint32_t>(m_scene.shadow) << 24;
        });
    }
    Screen& Window() { return Window(m_scene.window); }

    Screen& Cover()
    {
        CaptureRect const c = m_scene.cover;
        return Each([&](std::int32_t x, std::int32_t y) {
            bool const covered = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
            return covered ? m_scene.coverColour : kTransparent;
        });
    }

    // A screen copy of it.
    Frame frame() const
    {
        std::uint64_t const copy = ++m_scene.copiesMade;
        Frame frame;
        for (ComposedPixel const& pixel : m_screen)
            frame.push_back(CopiedPixel(m_scene.compositor, pixel, copy << 32 | frame.size()));
        return frame;
    }

private:
    // Lays the straight pixel that `layer` gives at each (x, y) over the screen.
    template <class Layer>
    Screen& Each(Layer layer)
    {
        for (std::int32_t y = 0; y < m_scene.Height(); ++y)
            for (std::int32_t x = 0; x < m_scene.Width(); ++x) {
                ComposedPixel& pixel = m_screen[static_cast<std::size_t>(y) * m_scene.Width() + x];
                pixel = ComposeOver(m_scene.compositor, layer(x, y), pixel);
            }
        return *this;
    }

    Scene const& m_scene;
    std::vector<ComposedPixel> m_screen;
};

// What each copy may show: its own pass's frame, or one the compositor showed
// before it.
Frame Current(Scene const& s, Backdrop pass)
{
    Frame frame = Screen(s).Backdrop(pass).Window().Cover().frame();
    std::size_t const gapStart = static_cast<std::size_t>(s.Height() - s.gapRows) * s.Width();
    std::fill(frame.begin() + static_cast<std::ptrdiff_t>(gapStart), frame.end(),
              pass == Backdrop::Black ? 0xFF8040C0u : 0xFF204080u);
    return frame;
}

Frame BeforeTheBackdrop(Scene const& s)
{
    return Screen(s).Window().Cover().frame();
}

Frame BackdropOverTheWindow(Scene const& s, Backdrop pass)
{
    return Screen(s).Window().Backdrop(pass).Cover().frame();
}

Frame Repainted(Scene const& s, Backdrop pass)
{
    // The window scrolled its content 16 pixels to the left.
    return Screen(s).Backdrop(pass).Window([&](std::int32_t x, std::int32_t y) { return s.window((x + 16) % s.windowWidth, y); }).Cover().frame();
}

// Rows from `from` to `to` of `copy` come from `other`: a copy torn between two
// frames.
Frame Torn(Scene const& s, Frame copy, Frame const& other, std::int32_t from, std::int32_t to)
{
    std::size_t const begin = static_cast<std::size_t>(from) * s.Width();
    std::size_t const end = static_cast<std::size_t>(to) * s.Width();
    std::copy(other.begin() + static_cast<std::ptrdiff_t>(begin), other.begin() + static_cast<std::ptrdiff_t>(end),
              copy.begin() + static_cast<std::ptrdiff_t>(begin));
    return copy;
}

// A text caret two pixels wide, drawn in one copy only.
Frame WithCaret(Scene const& s, Frame copy, std::uint32_t caret)
{
    CaptureRect const inner = s.Inner();
    for (std::int32_t y = inner.top + kMargin + 10; y < inner.top + kMargin + 40; ++y)
        for (std::int32_t x = inner.left + kMargin + 30; x < inner.left + kMargin + 32; ++x)
            copy[static_cast<std::size_t>(y) * s.Width() + x] = caret;
    return copy;
}

Scene Solid(std::uint32_t colour)
{
    Scene s;
    s.window = [colour](std::int32_t, std::int32_t) { return colour; };
    return s;
}

Scene Mode(SampleMode mode)
{
    Scene s;
    s.window = [mode](std::int32_t x, std::int32_t y) { return SamplePixel(mode, x, y, 120, 80); };
    return s;
}

Scene WithShadow()
{
    Scene s;
    s.shadow = 180;
    return s;
}

// A window filling the screen: no side has room for the ring.
Scene FillingTheScreen()
{
    Scene s;
    s.ringLeft = s.ringTop = s.ringRight = s.ringBottom = false;
    return s;
}

// At the screen's top-left corner: the ring only on the right and bottom.
Scene InTheCorner()
{
    Scene s;
    s.ringLeft = s.ringTop = false;
    return s;
}

// A topmost window over the ring's bottom-right corner and part of the
// margin, listed or not.
Scene UnderATopmostWindow(std::uint32_t colour, bool listed)
{
    Scene s;
    s.cover = {100, 90, s.Width(), s.Height()};
    s.coverColour = colour;
    s.coverListed = listed;
    return s;
}

// The frame's bottom rows, margin and ring, over a gap between monitors.
Scene OverAGap(bool listed)
{
    Scene s;
    s.gapRows = 10;
    if (listed)
        s.monitors = {{0, 0, s.Width(), s.Height() - s.gapRows}};
    return s;
}

// A desktop of one pure primary: the black pass's blue ring alone would not
// tell it from a backdrop.
Scene OverAPureBlueDesktop()
{
    Scene s;
    s.desktop = [](std::int32_t, std::int32_t) { return 0xFF0000FFu; };
    return s;
}

// The white backdrop painted at the level a screen that brightens SDR
// content three times does not clip.
Scene OverALoweredWhite(Scene s)
{
    s.white = 144;
    return s;
}

struct CheckRow {
    char const* name;
    std::function<Scene()> scene;
    std::function<Frame(Scene const&)> black;
    std::function<Frame(Scene const&)> white;
    StaleCopies expected;
};

Frame BlackCurrent(Scene const& s) { return Current(s, Backdrop::Black); }
Frame WhiteCurrent(Scene const& s) { return Current(s, Backdrop::White); }

StaleCopies const kCurrent = {false, false};
StaleCopies const kBlackStale = {true, false};
StaleCopies const kWhiteStale = {false, true};

std::vector<CheckRow> const& Rows()
{
    static std::vector<CheckRow> const rows = {
        // Current pairs: none may cost a capture.
        {"pattern", [] { return Mode(SampleMode::Pattern); }, BlackCurrent, WhiteCurrent, kCurrent},
        {"constant_alpha", [] { return Mode(SampleMode::Constant); }, BlackCurrent, WhiteCurrent, kCurrent},
        {"opaque", [] { return Mode(SampleMode::Opaque); }, BlackCurrent, WhiteCurrent, kCurrent},
        {"opaque_black_window", [] { return Solid(0xFF000000u); }, BlackCurrent, WhiteCurrent, kCurrent},
        {"opaque_white_window", [] { return Solid(0xFFFFFFFFu); }, BlackCurrent, WhiteCurrent, kCurrent},
        // A visible window always shows something: one that comes out wholly
        // transparent is the backdrop standing in front of it.
        {"wholly_transparent_window", [] { return Solid(kTransparent); }, BlackCurrent, WhiteCurrent,
         kBothCopiesStale},
        {"window_transparent_but_for_one_pixel",
         [] {
             Scene s;
             s.window = [](std::int32_t x, std::int32_t y) { return x == 60 && y == 40 ? 0x40FFFFFFu : kTransparent; };
             return s;
         },
         BlackCurrent, WhiteCurrent, kCurrent},
        {"shadow_over_the_ring", WithShadow, BlackCurrent, WhiteCurrent, kCurrent},
        {"pattern_over_a_lowered_white", [] { return OverALoweredWhite(Mode(SampleMode::Pattern)); }, BlackCurrent,
         WhiteCurrent, kCurrent},
        {"wholly_transparent_window_over_a_lowered_white", [] { return OverALoweredWhite(Solid(kTransparent)); },
         BlackCurrent, WhiteCurrent, kBothCopiesStale},
        {"window_filling_the_screen", FillingTheScreen, BlackCurrent, WhiteCurrent, kCurrent},
        {"window_in_the_screens_corner", InTheCorner, BlackCurrent, WhiteCurrent, kCurrent},
        {"opaque_topmost_window_over_the_ring", [] { return UnderATopmostWindow(0xFF3080C0u, true); }, BlackCurrent,
         WhiteCurrent, kCurrent},
        {"translucent_topmost_window_over_the_ring", [] { return UnderATopmostWindow(0x9930C0E0u, true); },
         BlackCurrent, WhiteCurrent, kCurrent},
        {"opaque_window_over_the_ring_not_listed", [] { return UnderATopmostWindow(0xFF3080C0u, false); },
         BlackCurrent, WhiteCurrent, kCurrent},
        // Pure blue is a tag of both passes, at pixels of opposite parity.
        {"pure_blue_window_over_the_ring_not_listed", [] { return UnderATopmostWindow(0xFF0000FFu, false); },
         BlackCurrent, WhiteCurrent, kCurrent},
        {"ring_and_margin_over_a_gap_between_monitors", [] { return OverAGap(true); }, BlackCurrent, WhiteCurrent,
         kCurrent},
        {"current_over_a_pure_blue_desktop", OverAPureBlueDesktop, BlackCurrent, WhiteCurrent, kCurrent},
        {"caret_shown_in_the_black_copy_only", [] { return Mode(SampleMode::Opaque); },
         [](Scene const& s) { return WithCaret(s, BlackCurrent(s), 0xFF000000u); }, WhiteCurrent, kCurrent},
        {"caret_shown_in_the_white_copy_only", [] { return Mode(SampleMode::Opaque); }, BlackCurrent,
         [](Scene const& s) { return WithCaret(s, WhiteCurrent(s), 0xFF000000u); }, kCurrent},

        // Stale frames, as measured under load: each costs another copy.
        // Both copies the backdrop in front of the window, as wine showed it
        // with the window's menu open: the pair's rules see a transparent
        // window.
        {"backdrop_in_front_of_an_opaque_window", [] { return Mode(SampleMode::Opaque); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::Black); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::White); }, kBothCopiesStale},
        {"backdrop_in_front_of_a_grey_window", [] { return Solid(0xFF808080u); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::Black); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::White); }, kBothCopiesStale},
        {"backdrop_in_front_of_a_coloured_window", [] { return Solid(0xFF3080C0u); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::Black); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::White); }, kBothCopiesStale},
        {"black_copy_is_the_backdrop_over_a_coloured_window", [] { return Mode(SampleMode::Opaque); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::Black); }, WhiteCurrent, kBothCopiesStale},
        // Grey over black and white is exactly a half-transparent black
        // window: nothing in the copies tells them apart, which is why the
        // backdrop never stands in front of the target on the way.
        {"black_copy_is_the_backdrop_over_a_grey_window_told_by_nothing", [] { return Solid(0xFF808080u); },
         [](Scene const& s) { return BackdropOverTheWindow(s, Backdrop::Black); }, WhiteCurrent, kCurrent},
        // Nor can the pair's rules alone tell a translucent window over the
        // desktop from one over the backdrop: a window filling the screen,
        // which leaves no room for the ring, is copied only once the
        // compositor has had a frame.
        {"window_filling_the_screen_over_the_desktop_told_by_nothing", FillingTheScreen, BeforeTheBackdrop,
         WhiteCurrent, kCurrent},
        {"white_copy_is_the_black_pass", [] { return Scene(); }, BlackCurrent, BlackCurrent, kBothCopiesStale},
        {"black_copy_is_the_screen_before_the_backdrop", [] { return Scene(); }, BeforeTheBackdrop, WhiteCurrent,
         kBlackStale},
        {"black_copy_is_the_screen_before_the_backdrop_over_pure_blue", OverAPureBlueDesktop, BeforeTheBackdrop,
         WhiteCurrent, kBothCopiesStale},
        {"white_copy_is_the_screen_between_the_passes", [] { return Scene(); }, BlackCurrent, BeforeTheBackdrop,
         kWhiteStale},
        {"both_copies_are_the_screen_before_the_backdrop", [] { return Scene(); }, BeforeTheBackdrop,
         BeforeTheBackdrop, kBothCopiesStale},
        {"black_copy_torn_with_the_screen_before_the_backdrop", [] { return Scene(); },
         [](Scene const& s) { return Torn(s, BlackCurrent(s), BeforeTheBackdrop(s), 40, 60); }, WhiteCurrent,
         kBlackStale},
        {"white_copy_torn_with_the_black_pass", [] { return Scene(); }, BlackCurrent,
         [](Scene const& s) { return Torn(s, WhiteCurrent(s), BlackCurrent(s), 40, 60); }, kBothCopiesStale},
        {"white_copy_torn_in_a_single_row", [] { return Scene(); }, BlackCurrent,
         [](Scene const& s) { return Torn(s, WhiteCurrent(s), BeforeTheBackdrop(s), 50, 51); }, kWhiteStale},
        {"window_repainted_between_the_copies", [] { return Scene(); }, BlackCurrent,
         [](Scene const& s) { return Repainted(s, Backdrop::White); }, kBothCopiesStale},
        {"repainted_window_filling_the_screen", FillingTheScreen, BlackCurrent,
         [](Scene const& s) { return Repainted(s, Backdrop::White); }, kBothCopiesStale},
        // What the backdrop cannot show must be listed: a translucent window
        // over the ring that nobody names looks like a frame without it. (A
        // thinner one lets the tags through, and they count.)
        {"gap_between_monitors_not_listed", [] { return OverAGap(false); }, BlackCurrent, WhiteCurrent,
         kBothCopiesStale},
        {"translucent_window_over_the_ring_not_listed", [] { return UnderATopmostWindow(0xE0808080u, false); },
         BlackCurrent, WhiteCurrent, kBothCopiesStale},
    };
    return rows;
}

// One row group per model of the compositor (compositor_model.h): whatever
// a copy returns of a frame, a current pair must never cost a capture, and
// every stale kind must still be found.
CompositorModel const kCompositors[] = {
    {"eight_bit", Blending::EightBit},
    {"linear_light", Blending::LinearLight},
    {"linear_light_sdr_boost_3", Blending::LinearLight, 3.0},
    {"eight_bit_dithered", Blending::EightBit, 1.0, OutputPrimaries::Srgb, true},
    {"linear_light_dithered", Blending::LinearLight, 1.0, OutputPrimaries::Srgb, true},
    {"linear_light_display_p3", Blending::LinearLight, 1.0, OutputPrimaries::DisplayP3},
    {"linear_light_rec2020", Blending::LinearLight, 1.0, OutputPrimaries::Rec2020},
    {"linear_light_rec2020_dithered", Blending::LinearLight, 1.0, OutputPrimaries::Rec2020, true},
    {"eight_bit_display_p3", Blending::EightBit, 1.0, OutputPrimaries::DisplayP3},
    {"eight_bit_rec2020", Blending::EightBit, 1.0, OutputPrimaries::Rec2020},
    {"eight_bit_rec2020_dithered", Blending::EightBit, 1.0, OutputPrimaries::Rec2020, true},
    {"linear_light_power_2_2_sdr_boost_2", Blending::LinearLight, 2.0, OutputPrimaries::Srgb, false,
     TransferCurve::Power22},
    {"linear_light_sdr_boost_1_25_clipping_at_250", Blending::LinearLight, 1.25, OutputPrimaries::Srgb, false,
     TransferCurve::PiecewiseSrgb, 250},
};

// The models turn the ring's pure primaries into what colour management is
// reported to make of them, and leave black and white alone.
TEST(CompositorModel, ShowsPurePrimariesAsColourManagementDoes)
{
    CompositorModel const p3 = {"p3", Blending::LinearLight, 1.0, OutputPrimaries::DisplayP3};
    CompositorModel const rec2020 = {"rec2020", Blending::LinearLight, 1.0, OutputPrimaries::Rec2020};
    CompositorModel const boosted = {"boosted", Blending::LinearLight, 3.0};
    struct {
        CompositorModel const& model;
        std::uint32_t pixel;
        std::uint32_t shown;
    } const cases[] = {
        {p3, 0xFFFF0000u, 0xFFEA3323u},      // red: (234, 51, 35)
        {rec2020, 0xFF00FF00u, 0xFF9BF654u}, // green: (155, 246, 84), reported as about (156, 245, 84)
        {rec2020, 0xFF000000u, 0xFF000000u},
        {rec2020, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {boosted, 0xFF404040u, 0xFF6D6D6Du}, // SDR grey three times as bright in linear light
        {boosted, 0xFFC0C0C0u, 0xFFFFFFFFu}, // and clipped at white
    };
    for (auto const& c : cases) {
        std::uint32_t const shown = CopiedPixel(c.model, ComposeOpaque(c.model, c.pixel), 0);
        EXPECT_EQ(shown, c.shown) << c.model.name << " " << std::hex << c.pixel << " shows " << shown;
    }
}

class FindStaleCopiesTable : public testing::TestWithParam<std::tuple<std::size_t, std::size_t>> {};

TEST_P(FindStaleCopiesTable, TellsEachCopysOwnFrameFromAnOlderOne)
{
    CheckRow const& row = Rows()[std::get<1>(GetParam())];
    Scene scene = row.scene();
    scene.compositor = kCompositors[std::get<0>(GetParam())];
    Frame const black = row.black(scene);
    Frame const white = row.white(scene);
    std::vector<CaptureRect> unseen;
    if (scene.coverListed && scene.cover.right > scene.cover.left)
        unseen.push_back(scene.cover);
    std::uint32_t const whiteShown =
        CopiedPixel(scene.compositor, ComposeOpaque(scene.compositor, scene.white * 0x010101u), 0);
    StaleCopies const stale =
        FindStaleCopies({black.data(), white.data(), scene.Width(), scene.Height(), scene.Inner(), unseen,
                         scene.monitors, scene.Window(), static_cast<std::uint8_t>(whiteShown & 0xFF)});
    EXPECT_EQ(stale.black, row.expected.black);
    EXPECT_EQ(stale.white, row.expected.white);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, FindStaleCopiesTable,
    testing::Combine(testing::Range<std::size_t>(0, std::size(kCompositors)),
                     testing::Range<std::size_t>(0, Rows().size())),
    [](testing::TestParamInfo<std::tuple<std::size_t, std::size_t>> const& info) {
        return std::string(kCompositors[std::get<0>(info.param)].name) + "__" + Rows()[std::get<1>(info.param)].name;
    });

TEST(FindStaleCopies, AnEmptyFrameIsCurrent)
{
    StaleCopies const stale = FindStaleCopies({nullptr, nullptr, 0, 0, {0, 0, 0, 0}, {}, {}});
    EXPECT_FALSE(stale.Any());
}

// The pair's rules forgive a caret, not a band: one pixel past the bound costs
// another copy.
TEST(FindStaleCopies, ForgivesAtMostABoundOfPairFaults)
{
    Scene const scene = Mode(SampleMode::Opaque);
    Frame const black = BlackCurrent(scene);
    for (std::int64_t faults : {kPairFaultsForgiven, kPairFaultsForgiven + 1}) {
        Frame white = WhiteCurrent(scene);
        CaptureRect const inner = scene.Inner();
        for (std::int64_t i = 0; i < faults; ++i) {
            std::size_t const at = static_cast<std::size_t>(inner.top + kMargin + i / 50) * scene.Width() +
                                   static_cast<std::size_t>(inner.left + kMargin + i % 50);
            white[at] = 0xFF000000u; // darker over white than over black
        }
        StaleCopies const stale =
            FindStaleCopies({black.data(), white.data(), scene.Width(), scene.Height(), inner, {}, scene.monitors});
        EXPECT_EQ(stale.Any(), faults > kPairFaultsForgiven) << faults;
    }
}

// Pairs near every bound of the rules: white a few steps off black in each
// channel, and pairs of any bytes.
std::vector<std::uint32_t> PairsNearTheBounds(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint32_t> pixels(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t const black = random();
        std::uint32_t white = random();
        if (i % 4 != 0) {
            white = black & 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                int const step = static_cast<int>(random() % 17) - 8;
                white |= static_cast<std::uint32_t>(std::clamp(pair_rules::Channel(black, c) + step, 0, 255)) << (8 * c);
            }
        }
        pixels[2 * i] = black;
        pixels[2 * i + 1] = white;
    }
    return pixels;
}

class PairFaultsOnEveryPath : public EveryInstructionSet {};

// Every path counts what the scalar code counts, at every length around the
// vector width and from unaligned starts.
TEST_P(PairFaultsOnEveryPath, CountsWhatTheScalarCodeCounts)
{
    std::vector<std::uint32_t> const pairs = PairsNearTheBounds(4096, 7);
    std::vector<std::uint32_t> black, white;
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        black.push_back(pairs[i]);
        white.push_back(pairs[i + 1]);
    }
    for (std::int32_t start : {0, 1, 3}) {
        for (std::int32_t count : {0, 1, 7, 8, 9, 15, 16, 17, 1000, 4093}) {
            std::int64_t const counted = CountPairFaults(black.data() + start, white.data() + start, count);
            EXPECT_EQ(counted, pair_rules::CountFaults(black.data() + start, white.data() + start, count))
                << "from " << start << ", " << count << " pixels";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, PairFaultsOnEveryPath, EveryInstructionSetValue(), InstructionSetParamName);

// Two copies of a frame without a ring are compared by their checksums: one
// changed pixel anywhere, of any value, must show.
TEST(PixelChecksum, ChangesWithAnyOnePixel)
{
    Frame const frame = WhiteCurrent(Scene());
    std::uint64_t const sum = PixelChecksum(frame.data(), static_cast<std::int64_t>(frame.size()));
    EXPECT_EQ(PixelChecksum(frame.data(), static_cast<std::int64_t>(frame.size())), sum);
    for (std::size_t at : {std::size_t{0}, frame.size() / 2, frame.size() - 1}) {
        for (std::uint32_t change : {1u, 0x01000000u, 0x80000000u}) {
            Frame changed = frame;
            changed[at] ^= change;
            EXPECT_NE(PixelChecksum(changed.data(), static_cast<std::int64_t>(changed.size())), sum) << at << " " << change;
        }
    }
}

// The ring: outermost, pure primaries that tell the passes apart at every
// pixel, each alternating along its ring; inside that the staircase, the
// same in both passes; inside the rectangle opaque black or the white level.
// This frame has room for two ring pixels on the left and bottom, one on the
// top and right.
TEST(PaintBackdrop, TagsOutsideTheStaircaseInsideTheBackdrop)
{
    std::int32_t const width = 6;
    std::int32_t const height = 5;
    CaptureRect const inner = {2, 1, 5, 3};
    Frame black(width * height);
    Frame white(width * height);
    PaintBackdrop(black.data(), width, height, inner, Backdrop::Black);
    PaintBackdrop(white.data(), width, height, inner, Backdrop::White, 144);
    struct {
        std::int32_t x, y;
        std::uint32_t black, white;
    } const cases[] = {
        {0, 0, 0xFF0000FFu, 0xFFFF0000u}, {1, 0, 0xFF00FF00u, 0xFF0000FFu}, {5, 0, 0xFF00FF00u, 0xFF0000FFu},
        {0, 1, 0xFF00FF00u, 0xFF0000FFu}, {5, 2, 0xFF00FF00u, 0xFF0000FFu}, {3, 4, 0xFF00FF00u, 0xFF0000FFu},
        {1, 2, 0xFF303030u, 0xFF303030u}, {1, 1, 0xFF202020u, 0xFF202020u}, {3, 3, 0xFF606060u, 0xFF606060u},
        {2, 1, 0xFF000000u, 0xFF909090u}, {4, 2, 0xFF000000u, 0xFF909090u},
    };
    for (auto const& c : cases) {
        std::size_t const i = static_cast<std::size_t>(c.y) * width + c.x;
        EXPECT_EQ(black[i], c.black) << c.x << "," << c.y;
        EXPECT_EQ(white[i], c.white) << c.x << "," << c.y;
    }
}

struct RingInViewCase {
    char const* name;
    CaptureRect inner;
    std::vector<CaptureRect> unseen;
    std::vector<CaptureRect> monitors;
    bool inView;
};

// A frame of 12 x 10, by default with the capture rectangle (1, 1)-(11, 9)
// inside it.
class TagRingInViewTable : public testing::TestWithParam<RingInViewCase> {};

TEST_P(TagRingInViewTable, OnlyARingPixelInViewProvesAnything)
{
    RingInViewCase const& c = GetParam();
    EXPECT_EQ(TagRingInView({nullptr, nullptr, 12, 10, c.inner, c.unseen, c.monitors}), c.inView);
}

std::vector<CaptureRect> const kOneMonitor = {{0, 0, 12, 10}};
CaptureRect const kInside = {1, 1, 11, 9};

INSTANTIATE_TEST_SUITE_P(Frames, TagRingInViewTable, testing::Values(
    RingInViewCase{"nothing_in_front", kInside, {}, kOneMonitor, true},
    RingInViewCase{"an_overlay_over_the_whole_frame", kInside, {{-100, -100, 100, 100}}, kOneMonitor, false},
    RingInViewCase{"windows_over_each_side_of_the_ring", kInside,
                   {{0, 0, 12, 1}, {0, 9, 12, 10}, {0, 0, 1, 10}, {11, 0, 12, 10}}, kOneMonitor, false},
    RingInViewCase{"one_ring_pixel_left_in_view", kInside,
                   {{0, 0, 12, 1}, {0, 9, 11, 10}, {0, 0, 1, 10}, {11, 0, 12, 9}}, kOneMonitor, true},
    RingInViewCase{"a_window_over_the_rectangle_only", kInside, {{1, 1, 11, 9}}, kOneMonitor, true},
    RingInViewCase{"the_ring_over_gaps_between_monitors", kInside, {}, {{1, 1, 11, 9}}, false},
    RingInViewCase{"the_ring_partly_unseen_partly_off_every_monitor", kInside, {{0, 0, 12, 5}}, {{0, 0, 12, 9}}, true},
    RingInViewCase{"no_room_for_a_ring", {0, 0, 12, 10}, {}, kOneMonitor, false}),
    [](testing::TestParamInfo<RingInViewCase> const& info) { return info.param.name; });

struct FrameCase {
    char const* name;
    CaptureRect rect;
    CaptureRect screen;
    CaptureRect frame;
};

class TagFrameAroundTable : public testing::TestWithParam<FrameCase> {};

TEST_P(TagFrameAroundTable, GrowsEachSideWhereTheScreenHasRoom)
{
    FrameCase const c = GetParam();
    CaptureRect const frame = TagFrameAround(c.rect, c.screen);
    EXPECT_EQ(frame.left, c.frame.left);
    EXPECT_EQ(frame.top, c.frame.top);
    EXPECT_EQ(frame.right, c.frame.right);
    EXPECT_EQ(frame.bottom, c.frame.bottom);
}

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(Sides, TagFrameAroundTable, testing::Values(
    FrameCase{"inside", {85, 85, 315, 215}, {0, 0, 1280, 1024}, {83, 83, 317, 217}},
    FrameCase{"at_the_top_left_corner", {0, 0, 15, 15}, {0, 0, 1280, 1024}, {0, 0, 17, 17}},
    FrameCase{"one_pixel_from_the_top_left_corner", {1, 1, 15, 15}, {0, 0, 1280, 1024}, {0, 0, 17, 17}},
    FrameCase{"at_the_bottom_right_corner", {1100, 900, 1280, 1024}, {0, 0, 1280, 1024}, {1098, 898, 1280, 1024}},
    FrameCase{"the_whole_screen", {0, 0, 1280, 1024}, {0, 0, 1280, 1024}, {0, 0, 1280, 1024}},
    FrameCase{"screen_left_of_and_above_the_origin", {-1280, -300, -1000, -100}, {-1280, -1024, 0, 0},
              {-1280, -302, -998, -98}},
    FrameCase{"at_the_limits_of_32_bits", {kMin, kMin, kMax, kMax}, {kMin, kMin, kMax, kMax}, {kMin, kMin, kMax, kMax}}),
    [](testing::TestParamInfo<FrameCase> const& info) { return info.param.name; });

} // namespace
