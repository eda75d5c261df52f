#include "capture/popups.h"

#include "capture/target_standing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

std::uint32_t const kPopup = 0x80000000;   // WS_POPUP
std::uint32_t const kCaption = 0x00C00000; // WS_CAPTION
std::uint32_t const kBorder = 0x00800000;  // WS_BORDER, half of a caption

CaptureRect const kWindow = {300, 200, 620, 400};
CaptureRect const kScreen = {-1280, 0, 1280, 1024}; // a monitor left of the primary

WindowRecord Menu(CaptureRect rect)
{
    return {L"#32768", kPopup | kBorder, true, true, false, rect};
}

struct PopupCase {
    const char* name;
    std::vector<WindowRecord> windows;
    CaptureRect expected; // the capture rectangle with the usual margin
};

class WithPopupsTable : public testing::TestWithParam<PopupCase> {};

std::array<std::int32_t, 4> Edges(CaptureRect r)
{
    return {r.left, r.top, r.right, r.bottom};
}

TEST_P(WithPopupsTable, TakesInTheTargetsTransientPopupsOnly)
{
    EXPECT_EQ(Edges(CaptureRectAround(WithPopups(kWindow, GetParam().windows), kScreen, kCaptureMargin)),
              Edges(GetParam().expected));
}

void PrintTo(PopupCase const& c, std::ostream* out)
{
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(Windows, WithPopupsTable, testing::Values(
    PopupCase{"no_popup", {}, {285, 185, 635, 415}},
    PopupCase{"menu_past_the_right_and_bottom_edges", {Menu({560, 340, 748, 516})}, {285, 185, 763, 531}},
    PopupCase{"submenu_cascading_further", {Menu({560, 340, 748, 516}), Menu({744, 360, 932, 560})},
              {285, 185, 947, 575}},
    PopupCase{"tooltip_above_the_window", {{L"tooltips_class32", kPopup, true, true, false, {320, 170, 480, 190}}},
              {285, 155, 635, 415}},
    PopupCase{"combo_list_below", {{L"ComboLBox", kPopup | kBorder, true, true, false, {310, 380, 450, 600}}},
              {285, 185, 635, 615}},
    PopupCase{"menu_on_the_monitor_to_the_left", {Menu({-200, 250, 0, 450})}, {-215, 185, 635, 465}},
    PopupCase{"menu_off_every_monitor_is_clamped", {Menu({-1400, 250, -1200, 450})}, {-1280, 185, 635, 465}},
    PopupCase{"captionless_popup_the_target_owns", {{L"SamplePopup", kPopup, true, true, true, {100, 200, 200, 300}}},
              {85, 185, 635, 415}},
    PopupCase{"owned_dialog_is_left_out", {{L"#32770", kPopup | kCaption, true, true, true, {700, 200, 900, 300}}},
              {285, 185, 635, 415}},
    PopupCase{"captionless_owned_dialog_is_left_out", {{L"#32770", kPopup, true, true, true, {700, 200, 900, 300}}},
              {285, 185, 635, 415}},
    PopupCase{"tool_window_with_a_caption_is_left_out",
              {{L"Palette", kPopup | kCaption, true, true, true, {700, 200, 900, 300}}}, {285, 185, 635, 415}},
    PopupCase{"another_processs_topmost_window_is_left_out",
              {{L"tooltips_class32", kPopup, true, false, false, {700, 200, 900, 300}}}, {285, 185, 635, 415}},
    PopupCase{"a_hidden_menu_is_left_out", {{L"#32768", kPopup, false, true, false, {700, 200, 900, 300}}},
              {285, 185, 635, 415}},
    PopupCase{"an_empty_popup_is_left_out", {{L"SamplePopup", kPopup, true, true, true, {900, 900, 900, 950}}},
              {285, 185, 635, 415}},
    // Today's menus: popups of the target's process, owned by nothing, made
    // by another thread.
    PopupCase{"xaml_context_menu", {{L"Xaml_WindowedPopupClass", kPopup, true, true, false, {560, 340, 800, 600}}},
              {285, 185, 815, 615}},
    PopupCase{"windows_app_sdk_popup",
              {{L"Microsoft.UI.Content.PopupWindowSiteBridge", kPopup, true, true, false, {560, 340, 800, 600}}},
              {285, 185, 815, 615}},
    PopupCase{"classic_menu_with_its_shadow",
              {Menu({560, 340, 748, 516}), {L"SysShadow", kPopup, true, true, false, {564, 344, 752, 520}}},
              {285, 185, 767, 535}},
    PopupCase{"firefox_menu", {{L"MozillaDropShadowWindowClass", kPopup, true, true, false, {560, 340, 800, 600}}},
              {285, 185, 815, 615}},
    PopupCase{"firefox_panel", {{L"MozillaPopupWindowClass", kPopup, true, true, false, {100, 100, 300, 300}}},
              {85, 85, 635, 415}},
    PopupCase{"chromium_menu_of_another_thread", {{L"Chrome_WidgetWin_2", kPopup, true, true, true, {560, 340, 800, 600}}},
              {285, 185, 815, 615}},
    PopupCase{"a_captionless_window_of_the_process_it_does_not_own_is_left_out",
              {{L"Chrome_WidgetWin_1", kPopup, true, true, false, {700, 200, 900, 300}}}, {285, 185, 635, 415}},
    PopupCase{"another_processs_xaml_popup_is_left_out",
              {{L"Xaml_WindowedPopupClass", kPopup, true, false, false, {700, 200, 900, 300}}}, {285, 185, 635, 415}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- What the backdrop cannot show, from where the target stands.

CaptureRect const kFrame = {283, 183, 637, 417};

WindowRecord InFront(CaptureRect rect, bool topmost, bool ownedByTarget = false)
{
    WindowRecord window = {L"Other", kPopup | kCaption, true, false, ownedByTarget, rect};
    window.topmost = topmost;
    return window;
}

struct StandingCase {
    const char* name;
    TargetStanding standing;
    std::optional<std::vector<CaptureRect>> unseen; // none: the target does not stand in front
};

class UnseenPartsTable : public testing::TestWithParam<StandingCase> {};

TEST_P(UnseenPartsTable, LeavesToTheBackdropOnlyWhatItCanShow)
{
    std::optional<std::vector<CaptureRect>> const unseen = UnseenParts(GetParam().standing, kFrame);
    ASSERT_EQ(unseen.has_value(), GetParam().unseen.has_value());
    if (!unseen)
        return;
    std::vector<std::array<std::int32_t, 4>> actual, expected;
    for (CaptureRect const& rect : *unseen)
        actual.push_back(Edges(rect));
    for (CaptureRect const& rect : *GetParam().unseen)
        expected.push_back(Edges(rect));
    EXPECT_EQ(actual, expected);
}

void PrintTo(StandingCase const& c, std::ostream* out)
{
    *out << c.name;
}

WindowRecord Cloaked(WindowRecord window)
{
    window.cloaked = true;
    return window;
}

INSTANTIATE_TEST_SUITE_P(Standings, UnseenPartsTable, testing::Values(
    StandingCase{"nothing_in_front", {}, std::vector<CaptureRect>{}},
    StandingCase{"a_topmost_window_over_a_corner", {false, true, {InFront({600, 400, 900, 700}, true)}},
                 std::vector<CaptureRect>{{600, 400, 637, 417}}},
    StandingCase{"a_window_the_target_owns", {false, true, {InFront({300, 200, 400, 300}, false, true)}},
                 std::vector<CaptureRect>{{300, 200, 400, 300}}},
    StandingCase{"the_targets_menu_is_part_of_the_capture", {false, true, {Menu({560, 340, 748, 516})}},
                 std::vector<CaptureRect>{}},
    StandingCase{"a_window_elsewhere", {false, true, {InFront({0, 0, 100, 100}, false)}}, std::vector<CaptureRect>{}},
    StandingCase{"a_window_on_another_virtual_desktop", {false, true, {Cloaked(InFront({300, 200, 400, 300}, false))}},
                 std::vector<CaptureRect>{}},
    // Another program's window over the target: the copies would pass it
    // off as the target's.
    StandingCase{"another_window_over_the_target", {false, true, {InFront({300, 200, 400, 300}, false)}}, std::nullopt},
    StandingCase{"the_backdrop_not_directly_behind", {false, false, {}}, std::nullopt},
    // The desktop and the taskbar are copied as they stand.
    StandingCase{"the_desktop_keeps_its_place", {true, false, {}}, std::vector<CaptureRect>{kFrame}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Which targets own a window kept "always on top".

WindowRecord Hidden(WindowRecord window)
{
    window.visible = false;
    return window;
}

struct TopmostOwnedCase {
    const char* name;
    std::vector<WindowRecord> windows;
    bool owns;
};
TopmostOwnedCase const kTopmostOwnedCases[] = {
    {"none", {}, false},
    {"a_topmost_palette_it_owns", {InFront({0, 0, 100, 100}, true, true)}, true},
    {"a_palette_it_owns_not_topmost", {InFront({0, 0, 100, 100}, false, true)}, false},
    {"another_programs_topmost_window", {InFront({0, 0, 100, 100}, true, false)}, false},
    {"a_hidden_topmost_palette", {Hidden(InFront({0, 0, 100, 100}, true, true))}, false},
    {"one_among_others", {Menu({0, 0, 10, 10}), InFront({0, 0, 100, 100}, true, true)}, true},
};

TEST(OwnsTopmostWindow, OnlyAVisibleTopmostWindowTheTargetOwns)
{
    for (TopmostOwnedCase const& c : kTopmostOwnedCases)
        EXPECT_EQ(OwnsTopmostWindow(c.windows), c.owns) << c.name;
}

// --- When the window in front is one of its owner's popups.

struct OwnerInsteadCase {
    const char* name;
    WindowRecord foreground;
    bool ownerInstead;
};
OwnerInsteadCase const kOwnerInsteadCases[] = {
    {"a_xaml_bridge_of_no_size", {L"Microsoft.UI.Content.PopupWindowSiteBridge", kPopup, true, true, false, {0, 0, 0, 0}},
     true},
    {"a_popup_off_every_monitor", {L"SomePopupHost", kPopup, true, true, false, {-32000, -32000, -31800, -31900}}, true},
    {"a_menu_on_the_screen", Menu({560, 340, 748, 516}), true},
    {"a_xaml_popup_on_the_screen", {L"Xaml_WindowedPopupClass", kPopup, true, true, false, {560, 340, 800, 600}}, true},
    {"a_captionless_window_on_the_screen", {L"Splash", kPopup, true, true, false, {300, 200, 620, 400}}, false},
    {"a_window_with_a_caption_off_the_screen", {L"Palette", kPopup | kCaption, true, true, false, {-32000, -32000, -31800, -31900}},
     false},
    {"a_tool_palette_on_the_screen", {L"Palette", kPopup | kCaption, true, true, false, {700, 200, 900, 300}}, false},
};

TEST(CapturesOwnerInstead, WhenTheWindowInFrontIsItselfAPopup)
{
    for (OwnerInsteadCase const& c : kOwnerInsteadCases)
        EXPECT_EQ(CapturesOwnerInstead(c.foreground, kScreen), c.ownerInstead) << c.name;
}

} // namespace

