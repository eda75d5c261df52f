#include "fake_screen.h"

#include <algorithm>

namespace {

bool Inside(CaptureRect rect, std::int32_t x, std::int32_t y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

} // namespace

bool FakeScreen::MakeBuffers(CaptureRect frame, PixelBuffer& black, PixelBuffer& white)
{
    if (m_scene.buffersFail)
        return false;
    m_frame = frame;
    frames.push_back(frame);
    ++buffersMade;
    std::int32_t const width = frame.right - frame.left;
    std::int32_t const height = frame.bottom - frame.top;
    PixelBuffer* const buffers[] = {&black, &white};
    for (int pass = 0; pass < 2; ++pass) {
        m_buffers[pass].assign(static_cast<std::size_t>(width) * height, 0);
        m_shown[pass].clear();
        *buffers[pass] = {m_buffers[pass].data(), width, height};
    }
    return true;
}

TargetStanding FakeScreen::ShowBackdrop(Backdrop pass)
{
    int const index = pass == Backdrop::Black ? 0 : 1;
    m_shown[index] = m_buffers[index];
    m_showing = index;
    TargetStanding standing;
    standing.backdropDirectlyBehind = m_scene.rises;
    if (HasPixels(m_scene.cover)) {
        WindowRecord cover;
        cover.className = L"Cover";
        cover.visible = true;
        cover.topmost = true;
        cover.rect = m_scene.cover;
        standing.inFront.push_back(cover);
    }
    return standing;
}

void FakeScreen::CopyScreen(Backdrop pass, CopyTiming timing)
{
    int const index = pass == Backdrop::Black ? 0 : 1;
    StaleCopy const stale = m_scene.script.empty() ? StaleCopy::None : m_scene.script.front();
    if (!m_scene.script.empty())
        m_scene.script.pop_front();
    std::vector<std::uint32_t> const* const own = m_showing == index ? &m_shown[index] : nullptr;
    std::vector<std::uint32_t> const* const other = m_shown[1 - index].empty() ? nullptr : &m_shown[1 - index];
    std::int32_t const width = m_frame.right - m_frame.left;
    std::int32_t const height = m_frame.bottom - m_frame.top;
    for (std::int32_t y = 0; y < height; ++y) {
        bool const tornRow = y >= height / 3 && y < 2 * height / 3;
        std::vector<std::uint32_t> const* backdrop = own;
        if (stale == StaleCopy::BeforeTheBackdrop || (stale == StaleCopy::TornWithTheScreenBefore && tornRow))
            backdrop = nullptr;
        else if (stale == StaleCopy::OtherPass)
            backdrop = other;
        for (std::int32_t x = 0; x < width; ++x)
            m_buffers[index][static_cast<std::size_t>(y) * width + x] = CopyAt(x, y, backdrop);
    }
    ++copies[index];
    copiesAfterAFrame += timing == CopyTiming::AfterAFrame;
    ++m_copiesMade;
}

void FakeScreen::HideBackdrop()
{
    m_showing = -1;
}

std::uint32_t FakeScreen::WindowAt(std::int32_t x, std::int32_t y) const
{
    CaptureRect const w = m_scene.window;
    if (Inside(w, x, y))
        return m_scene.content(x - w.left, y - w.top, m_copiesMade);
    std::int32_t const distance = std::max({w.left - x, x - (w.right - 1), w.top - y, y - (w.bottom - 1)});
    if (distance > m_scene.shadowReach)
        return 0;
    return static_cast<std::uint32_t>(m_scene.shadowAlpha * (m_scene.shadowReach - distance + 1) / m_scene.shadowReach)
           << 24;
}

std::uint32_t FakeScreen::CopyAt(std::int32_t x, std::int32_t y, std::vector<std::uint32_t> const* backdrop) const
{
    std::int32_t const width = m_frame.right - m_frame.left;
    std::int32_t const screenX = m_frame.left + x;
    std::int32_t const screenY = m_frame.top + y;
    std::size_t const at = static_cast<std::size_t>(y) * width + x;
    CompositorModel const& model = m_scene.model;
    ComposedPixel shown = ComposeOpaque(model, backdrop ? (*backdrop)[at] : m_scene.desktop);
    shown = ComposeOver(model, WindowAt(screenX, screenY), shown);
    if (Inside(m_scene.cover, screenX, screenY))
        shown = ComposeOver(model, m_scene.coverColour, shown);
    return CopiedPixel(model, shown, static_cast<std::uint64_t>(m_copiesMade) << 32 | at);
}
