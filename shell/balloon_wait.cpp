#include "shell/balloon_wait.h"

#include <algorithm>
#include <iterator>
#include <string_view>

std::uint32_t BalloonLeaveWaitMs(std::optional<std::uint64_t> shownAgoMs, std::uint32_t showSeconds)
{
    if (!shownAgoMs)
        return 0;
    std::uint64_t const goneAfterMs = std::uint64_t{showSeconds} * 1000 + kBalloonLeaveMs;
    if (*shownAgoMs >= goneAfterMs)
        return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(kBalloonLeaveMs, goneAfterMs - *shownAgoMs));
}

bool IsLeavingNotification(WindowRecord const& window)
{
    static constexpr std::wstring_view kNotificationClasses[] = {L"Windows.UI.Core.CoreWindow", L"tooltips_class32"};
    return window.visible && window.topmost && !window.cloaked && !window.targetProcess &&
           std::find(std::begin(kNotificationClasses), std::end(kNotificationClasses), window.className) !=
               std::end(kNotificationClasses);
}
