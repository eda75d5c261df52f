#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// What the clipboard holds of a capture, read as a program that pastes it
// reads it.
struct ClipboardCapture {
    std::vector<UINT> formats;        // in the order EnumClipboardFormats gives them
    std::vector<std::uint8_t> png;    // the registered format "PNG"
    std::vector<std::uint32_t> dibV5; // CF_DIBV5's pixels as 0xAARRGGBB, top row first
    std::vector<std::uint32_t> dib;   // CF_DIB's pixels as 0xFFRRGGBB, top row first
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string fault;                // what is wrong with a bitmap's header, if anything
};

// Reads the clipboard; fails the test when it cannot be opened.
ClipboardCapture ReadClipboardCapture();

// Leaves `text` alone on the clipboard, and reads it back.
void PutTextOnClipboard(std::wstring const& text);
std::wstring ClipboardText();

// Holds the clipboard open, as another program copying or reading does,
// until the object goes.
class ClipboardHeld {
public:
    ClipboardHeld();
    ~ClipboardHeld();
    ClipboardHeld(ClipboardHeld const&) = delete;
    ClipboardHeld& operator=(ClipboardHeld const&) = delete;
};
