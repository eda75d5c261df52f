#include "capture/target_standing.h"

std::optional<std::vector<CaptureRect>> UnseenParts(TargetStanding const& standing, CaptureRect frame)
{
    if (standing.keepsItsOwnPlace)
        return std::vector<CaptureRect>{frame};
    if (!standing.backdropDirectlyBehind)
        return std::nullopt;
    std::vector<CaptureRect> unseen;
    for (WindowRecord const& window : standing.inFront) {
        CaptureRect const overlap = Intersection(window.rect, frame);
        if (window.cloaked || !HasPixels(overlap) || IsTransientPopup(window))
            continue;
        if (!window.topmost && !window.ownedByTarget)
            return std::nullopt;
        unseen.push_back(overlap);
    }
    return unseen;
}
