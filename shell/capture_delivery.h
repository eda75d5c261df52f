#pragma once

#include <windows.h>

#include <cstdint>

#include "shell/capture_outcome.h"
#include "shell/settings.h"

// Delivers a finished capture of `targetWindow`, `width` x `height` pixels,
// the way `settings` say: encoded once, onto the clipboard, and into
// `programFolder` or through the Save dialog owned by `ownerWindow`. Returns
// what the user is to be told.
CaptureOutcome DeliverCapture(HWND ownerWindow, HWND targetWindow, std::uint32_t const* pixels, std::int32_t width,
                              std::int32_t height, Settings const& settings, wchar_t const* programFolder);
