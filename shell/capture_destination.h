#pragma once

#include "output/save_capture_win32.h"
#include "shell/settings.h"
#include "shell/ui_text.h"

// Where a capture finished now goes, as the settings say: the save method,
// the save folder (the program folder unless the settings name another),
// and, where names carry the time, the local time of this moment.
CaptureDestination CaptureDestinationFor(Settings const& settings, wchar_t const* programFolder, UiLanguage language);
