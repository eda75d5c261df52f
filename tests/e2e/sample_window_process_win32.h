#pragma once

#include "tests/e2e/program_process_win32.h"
#include "tests/support/sample_window/sample_options.h"

#include <windows.h>

// lucidframe-sample-window.exe, started beside the test program with
// `options` and closed when the object goes.
class SampleWindowProcess {
public:
    explicit SampleWindowProcess(SampleOptions const& options);
    ~SampleWindowProcess();
    SampleWindowProcess(SampleWindowProcess const&) = delete;
    SampleWindowProcess& operator=(SampleWindowProcess const&) = delete;

    HWND window() const { return m_window; }
    SampleOptions const& options() const { return m_options; }
    ProgramProcess const& process() const { return m_process; }

    // Makes the window the foreground window as a user does, with a click
    // into it; the pointer is then parked outside every capture.
    void BringToFront();

    // How often the window has lost the activation so far.
    LRESULT Deactivations() const;

    // Returns once the window has stopped handling messages, for
    // `milliseconds` from now.
    void StopAnswering(DWORD milliseconds);

    // Makes the window darken from now on, so that its copies never agree.
    void StartFading();

    // Opens the window's context menu with its top-left corner at `at`, and
    // returns it once it shows.
    HWND OpenContextMenu(POINT at);
    // The window's open menu, or null.
    HWND OpenMenu() const;

    // Puts the pointer over the window, where a capture that includes the
    // pointer draws it.
    void PointAtWindow();

    // A point well inside the window, on the screen.
    POINT InsideWindow() const;

private:
    SampleOptions m_options;
    HWND m_window = nullptr;
    ProgramProcess m_process;
};
