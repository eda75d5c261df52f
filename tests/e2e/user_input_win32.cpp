#include "tests/e2e/user_input_win32.h"

#include "tests/e2e/program_process_win32.h"

namespace {

// Long enough for a menu's loop to open a submenu between two keys.
DWORD const kGapBetweenKeysMs = 40;
int const kParkingFromRight = 40;
DWORD const kForegroundTimeoutMs = 3000;

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

void ClickAt(POINT point, MouseButton button)
{
    SetCursorPos(point.x, point.y);
    bool const left = button == MouseButton::Left;
    INPUT inputs[] = {ButtonInput(left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN),
                      ButtonInput(left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP)};
    SendInput(ARRAYSIZE(inputs), inputs, sizeof(INPUT));
}

// A window already in front gets no click: the wait for it to come to the
// front would end before the click is handled, and the click could land
// elsewhere meanwhile. The click goes to the middle of the window's part on
// the screen.
void ClickToFront(HWND window)
{
    if (GetForegroundWindow() == window)
        return;
    RECT const screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT rect = {};
    RECT onScreen = {};
    if (!GetWindowRect(window, &rect) || !IntersectRect(&onScreen, &rect, &screen))
        Fail("no click reaches a window off the screen");
    POINT pointer = {};
    GetCursorPos(&pointer);
    ClickAt({onScreen.left + (onScreen.right - onScreen.left) / 2, onScreen.top + (onScreen.bottom - onScreen.top) / 2});
    // A window of this thread takes the click only when its messages are
    // handled.
    WaitUntil(
        [&] {
            MSG message = {};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            return GetForegroundWindow() == window;
        },
        kForegroundTimeoutMs, "the clicked window in front");
    SetCursorPos(pointer.x, pointer.y);
}

// Right of every window the tests show, and off the screen's corners, where
// Windows may react to a resting pointer.
void ParkPointer()
{
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - kParkingFromRight, GetSystemMetrics(SM_CYSCREEN) / 3);
}
