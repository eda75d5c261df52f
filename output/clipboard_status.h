#pragma once

// What became of a capture's copy to the clipboard.
enum class ClipboardStatus {
    Untouched, // the option is off, or there was no image
    Copied,
    Busy,      // another program held the clipboard past the wait
    Failed,    // opened, but the system took none of the formats
};
