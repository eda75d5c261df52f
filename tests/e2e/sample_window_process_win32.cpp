#include "tests/e2e/sample_window_process_win32.h"

#include "tests/e2e/top_level_windows_win32.h"
#include "tests/e2e/user_input_win32.h"

#include <filesystem>

namespace {

DWORD const kForegroundTimeoutMs = 3000;
DWORD const kCloseTimeoutMs = 5000;
// The compositor shows a newly mapped layered window a frame or two later.
DWORD const kFirstFrameMs = 150;

std::filesystem::path SampleProgram()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / L"lucidframe-sample-window.exe";
}

wchar_t const* ModeArgument(SampleMode mode)
{
    switch (mode) {
    case SampleMode::Constant:
        return L"constant";
    case SampleMode::Opaque:
        return L"opaque";
    case SampleMode::Pattern:
        break;
    }
    return L"pattern";
}

std::wstring Arguments(SampleOptions const& o)
{
    return L"--title \"" + o.title + L"\" --x " + std::to_wstring(o.x) + L" --y " + std::to_wstring(o.y) +
           L" --width " + std::to_wstring(o.width) + L" --height " + std::to_wstring(o.height) + L" --mode " +
           ModeArgument(o.mode) + (o.refuseZOrder ? L" --refuse-zorder" : L"");
}

} // namespace

// The window sets its title once it is shown and painted.
SampleWindowProcess::SampleWindowProcess(SampleOptions const& options)
    : m_options(options),
      m_process(SampleProgram(), Arguments(options), [this](DWORD processId) {
          m_window = FindTopLevelWindow([&](HWND window) {
              return ProcessOf(window) == processId && HasTitle(window, m_options.title.c_str());
          });
          return m_window != nullptr;
      })
{
    Sleep(kFirstFrameMs);
}

SampleWindowProcess::~SampleWindowProcess()
{
    if (m_process.Running() && PostMessageW(m_window, WM_CLOSE, 0, 0))
        WaitForSingleObject(m_process.handle(), kCloseTimeoutMs);
}

POINT SampleWindowProcess::InsideWindow() const
{
    return {m_options.x + m_options.width * 3 / 4, m_options.y + m_options.height * 3 / 4};
}

void SampleWindowProcess::BringToFront()
{
    ClickAt(InsideWindow());
    ParkPointer();
    WaitUntil([&] { return GetForegroundWindow() == m_window; }, kForegroundTimeoutMs, "sample window in front",
              {&m_process});
}

LRESULT SampleWindowProcess::Deactivations() const
{
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(m_window, kSampleDeactivationsQuery, 0, 0, SMTO_NORMAL, kForegroundTimeoutMs, &count))
        Fail("the sample window does not answer");
    return static_cast<LRESULT>(count);
}

void SampleWindowProcess::StopAnswering(DWORD milliseconds)
{
    if (!PostMessageW(m_window, kSampleStopAnswering, milliseconds, 0))
        Fail("cannot reach the sample window");
    DWORD_PTR result = 0;
    WaitUntil([&] { return !SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result); }, 2000,
              "a silent sample window", {&m_process});
}

void SampleWindowProcess::StartFading()
{
    if (!PostMessageW(m_window, kSampleStartFading, 0, 0))
        Fail("cannot reach the sample window");
}

HWND SampleWindowProcess::OpenContextMenu(POINT at)
{
    // Once the window has handled the input so far, such as the click that
    // brought it to the front.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, kForegroundTimeoutMs, &result);
    if (!PostMessageW(m_window, kSampleOpenMenu, 0, MAKELPARAM(at.x, at.y)))
        Fail("cannot reach the sample window");
    HWND menu = nullptr;
    WaitUntil([&] { return (menu = OpenMenu()) != nullptr; }, kForegroundTimeoutMs, "the sample's context menu",
              {&m_process});
    return menu;
}

HWND SampleWindowProcess::OpenMenu() const
{
    DWORD const processId = m_process.id();
    return FindTopLevelWindow([&](HWND window) {
        return ProcessOf(window) == processId && IsWindowVisible(window) && HasClass(window, L"#32768");
    });
}

void SampleWindowProcess::PointAtWindow()
{
    POINT const point = InsideWindow();
    SetCursorPos(point.x, point.y);
}
