#include "tests/e2e/user_input_win32.h"

namespace {

// Long enough for a menu's loop to open a submenu between two keys.
DWORD const kGapBetweenKeysMs = 40;
int const kParkingFromRight = 40;

INPUT KeyInput(WORD key, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

INPUT ButtonInput(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

} // namespace

void PressChord(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(KeyInput(key, 0));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
        inputs.push_back(KeyInput(*key, KEYEVENTF_KEYUP));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressKeys(std::vector<WORD> const& keys)
{
    for (WORD key : keys) {
        INPUT inputs[] = {KeyInput(key, 0), KeyInput(key, KEYEVENTF_KEYUP)};
        SendInput(ARRAYSIZE(inputs), inputs, sizeof(INPUT));
        Sleep(kGapBetweenKeysMs);
    }
}

void ClickAt(POINT point)
{
    SetCursorPos(point.x, point.y);
    INPUT inputs[] = {ButtonInput(MOUSEEVENTF_LEFTDOWN), ButtonInput(MOUSEEVENTF_LEFTUP)};
    SendInput(ARRAYSIZE(inputs), inputs, sizeof(INPUT));
}

// Right of every window the tests show, and off the screen's corners, where
// Windows may react to a resting pointer.
void ParkPointer()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - kParkingFromRight, GetSystemMetrics(SM_CYSCREEN) / 3);
}
