#include "capture/popups.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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
              {285, 185, 635, 415}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
