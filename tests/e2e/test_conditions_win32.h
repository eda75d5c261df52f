#pragma once

#include <windows.h>

#include <thread>

// Conditions of the desktop that a test sets up around the program, for as
// long as the object lives.

// A hot key, Ctrl+PrtSc unless named, registered by another program (here
// the test itself).
class HotKeyHeldElsewhere {
public:
    explicit HotKeyHeldElsewhere(UINT modifiers = MOD_CONTROL, UINT key = VK_SNAPSHOT);
    ~HotKeyHeldElsewhere();
    HotKeyHeldElsewhere(HotKeyHeldElsewhere const&) = delete;
    HotKeyHeldElsewhere& operator=(HotKeyHeldElsewhere const&) = delete;
};

// Under wine, Lucidframe.exe is told that it runs on Windows 10 rather than
// 6.1, so that it registers the hot key without MOD_NOREPEAT. On Windows the
// system's own version stands.
class WineReportsWindows10 {
public:
    WineReportsWindows10();
    ~WineReportsWindows10();
    WineReportsWindows10(WineReportsWindows10 const&) = delete;
    WineReportsWindows10& operator=(WineReportsWindows10 const&) = delete;
};

// Windows 11's "Use the Print screen key to open screen capture" on for the
// user, as Windows 11 24H2 has it by default: its registry value is 1 while
// the object lives, and as it was afterwards. Wine knows no such setting.
class PrintScreenOpensScreenCapture {
public:
    PrintScreenOpensScreenCapture();
    ~PrintScreenOpensScreenCapture();
    PrintScreenOpensScreenCapture(PrintScreenOpensScreenCapture const&) = delete;
    PrintScreenOpensScreenCapture& operator=(PrintScreenOpensScreenCapture const&) = delete;

private:
    DWORD m_before = 0;
    bool m_wasSet = false;
};

// A named mutex whose security grants nobody anything, held by the test: a
// later CreateMutexW of the name fails with ERROR_ACCESS_DENIED, as it does
// for the mutex of an instance started as administrator (a higher integrity
// level) when asked from a normal one.
class MutexRefusingEveryone {
public:
    explicit MutexRefusingEveryone(wchar_t const* name);
    ~MutexRefusingEveryone();
    MutexRefusingEveryone(MutexRefusingEveryone const&) = delete;
    MutexRefusingEveryone& operator=(MutexRefusingEveryone const&) = delete;

private:
    HANDLE m_mutex = nullptr;
};

// A notification area that is not ready yet, as at logon: while the object
// lives, Shell_NotifyIconW finds a stand-in for Explorer's taskbar window
// first, which takes no icon, and every call fails. The stand-in answers on a
// thread of its own, as the shell's window does.
class ShellNotReady {
public:
    ShellNotReady();
    ~ShellNotReady();
    ShellNotReady(ShellNotReady const&) = delete;
    ShellNotReady& operator=(ShellNotReady const&) = delete;

private:
    void Run(HANDLE ready);

    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_taskbar = nullptr;
};
