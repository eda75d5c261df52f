#include "shell/balloon_wait.h"

#include <algorithm>

std::uint32_t BalloonLeaveWaitMs(std::optional<std::uint64_t> shownAgoMs, std::uint32_t showSeconds)
{
    if (!shownAgoMs)
        return 0;
    std::uint64_t const goneAfterMs = std::uint64_t{showSeconds} * 1000 + kBalloonLeaveMs;
    if (*shownAgoMs >= goneAfterMs)
        return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(kBalloonLeaveMs, goneAfterMs - *shownAgoMs));
}
