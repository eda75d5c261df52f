// The target's popups as the system lists them: windows of its process made
// by another thread, and a foreground window that is itself a popup.
#include "capture/popups_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

CaptureRect ScreenBounds()
{
    int const left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int const top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

HWND MakeWindow(DWORD style, RECT rect, HWND owner)
{
    HWND const window = CreateWindowExW(WS_EX_NOACTIVATE, L"STATIC", L"", style, rect.left, rect.top,
                                        rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

// A popup the target owns, as Chromium's menus are, made and kept by a
// thread of its own until the test lets it go.
class PopupOfAnotherThread {
public:
    PopupOfAnotherThread(RECT rect, HWND owner)
        : m_made(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_done(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_thread([this, rect, owner] {
              m_window = MakeWindow(WS_POPUP, rect, owner);
              SetEvent(m_made);
              // The thread answers what the test asks of its window, as a
              // program's threads do.
              while (MsgWaitForMultipleObjects(1, &m_done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
                  MSG message;
                  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                      DispatchMessageW(&message);
              }
              DestroyWindow(m_window);
          })
    {
        WaitForSingleObject(m_made, INFINITE);
    }
    ~PopupOfAnotherThread()
    {
        SetEvent(m_done);
        m_thread.join();
        CloseHandle(m_made);
        CloseHandle(m_done);
    }
    PopupOfAnotherThread(PopupOfAnotherThread const&) = delete;
    PopupOfAnotherThread& operator=(PopupOfAnotherThread const&) = delete;
    HWND window() const { return m_window; }

private:
    HANDLE m_made;
    HANDLE m_done;
    HWND m_window = nullptr;
    std::thread m_thread;
};

TEST(PopupWindows, ThoseOfAnotherThreadOfTheProcessCount)
{
    HWND const target = MakeWindow(WS_OVERLAPPEDWINDOW, {100, 100, 400, 300}, nullptr);
    PopupOfAnotherThread const menu({350, 250, 500, 400}, target);
    SetWindowPos(menu.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    std::vector<WindowRecord> const popups = PopupCandidatesOf(target);
    EXPECT_TRUE(HasPopupsOpen(popups)) << popups.size() << " candidates";
    CaptureRect const shown = WithPopups({100, 100, 400, 300}, popups);
    EXPECT_EQ(shown.right, 500);
    EXPECT_EQ(shown.bottom, 400);
    DestroyWindow(target);
}

struct ForegroundRow {
    char const* name;
    DWORD style;
    RECT rect;
    bool ownerInstead;
};
ForegroundRow const kForegroundRows[] = {
    {"a_bridge_of_no_size", WS_POPUP, {0, 0, 0, 0}, true},
    {"a_popup_off_every_monitor", WS_POPUP, {-32000, -32000, -31900, -31900}, true},
    {"an_owned_dialog_on_the_screen", WS_POPUP | WS_CAPTION, {150, 150, 350, 250}, false},
};

TEST(PopupWindows, AForegroundPopupIsCapturedAsItsRootOwner)
{
    HWND const target = MakeWindow(WS_OVERLAPPEDWINDOW, {100, 100, 400, 300}, nullptr);
    EXPECT_EQ(CaptureTargetFor(target, ScreenBounds()), target);
    EXPECT_EQ(CaptureTargetFor(nullptr, ScreenBounds()), nullptr);
    HWND const parked = MakeWindow(WS_POPUP, {-32000, -32000, -31900, -31900}, nullptr);
    EXPECT_EQ(CaptureTargetFor(parked, ScreenBounds()), parked) << "a window parked off the screen, owned by nothing";
    DestroyWindow(parked);
    for (ForegroundRow const& row : kForegroundRows) {
        HWND const owned = MakeWindow(WS_POPUP, {120, 120, 130, 130}, target);
        HWND const popup = MakeWindow(row.style, row.rect, owned);
        EXPECT_EQ(CaptureTargetFor(popup, ScreenBounds()), row.ownerInstead ? target : popup) << row.name;
        DestroyWindow(popup);
        DestroyWindow(owned);
    }
    DestroyWindow(target);
}

} // namespace
