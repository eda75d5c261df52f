#include "tests/e2e/lucidframe_app_win32.h"

#include "tests/e2e/top_level_windows_win32.h"
#include "tests/e2e/user_input_win32.h"
#include "tests/support/retry_log_win32.h"

#include <shellapi.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

UINT const kTrayNotify = WM_APP + 1;
UINT const kTrayIconId = 1;
DWORD const kMenuTimeoutMs = 5000;
DWORD const kExitTimeoutMs = 10000;
DWORD const kIdleTimeoutMs = 10000;
DWORD const kBusyTimeoutMs = 1000;

std::wstring g_programUnderTest = L"Lucidframe.exe";

std::filesystem::path TestProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

// The keys that reach each command from the closed menu: Down selects the
// first item, Up the last; Right opens a submenu on its first item.
std::vector<WORD> KeysFor(TrayCommand command)
{
    switch (command) {
    case TrayCommand::DelayedCapture:
        return {VK_DOWN, VK_RETURN};
    case TrayCommand::SaveAutomatically:
        return {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN};
    case TrayCommand::SaveManually:
        return {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN};
    case TrayCommand::AutoCrop:
        return {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN};
    case TrayCommand::IncludeCursor:
        return {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN};
    case TrayCommand::Checkerboard:
        return {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN};
    case TrayCommand::CopyToClipboard:
        return {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    case TrayCommand::TimestampNames:
        return {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    // Keys pass over separators.
    case TrayCommand::SetHotKey:
        return {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    case TrayCommand::ChooseSaveFolder:
        return {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN};
    case TrayCommand::OpenSaveFolder:
        return {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    case TrayCommand::About:
        return {VK_UP, VK_UP, VK_RETURN};
    case TrayCommand::Exit:
        return {VK_UP, VK_RETURN};
    }
    return {};
}

} // namespace

void SetProgramUnderTest(std::wstring const& fileName)
{
    g_programUnderTest = fileName;
}

std::filesystem::path ProgramUnderTest()
{
    return TestProgramFolder() / g_programUnderTest;
}

LucidframeApp::LucidframeApp() : LucidframeApp(g_programUnderTest)
{
}

LucidframeApp::LucidframeApp(std::wstring const& build)
{
    std::filesystem::copy_file(TestProgramFolder() / build, program());
}

LucidframeApp::~LucidframeApp()
{
    m_process.reset();
}

void LucidframeApp::Start()
{
    m_host = nullptr;
    auto const findHost = [this](DWORD processId) {
        m_host = FindTopLevelWindow([&](HWND window) {
            return ProcessOf(window) == processId && HasClass(window, L"#32770") && HasTitle(window, L"Lucidframe");
        });
        return m_host != nullptr;
    };
    m_process = std::make_unique<ProgramProcess>(program(), L"", findHost);
    // The title is set before the hot key is registered: once idle, the
    // program is past WM_INITDIALOG.
    WaitUntilIdle();
}

bool LucidframeApp::SendTrayMessage(UINT mouseMessage) const
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_host, kTrayNotify, kTrayIconId, mouseMessage, SMTO_NORMAL, kBusyTimeoutMs, &result) !=
           0;
}

HWND LucidframeApp::OpenMenu() const
{
    DWORD const processId = m_process->id();
    return FindTopLevelWindow([&](HWND window) {
        return ProcessOf(window) == processId && IsWindowVisible(window) && HasClass(window, L"#32768");
    });
}

void LucidframeApp::OpenTrayMenu()
{
    AskForTrayMenu();
    // Under wine the posted callback now and then opens no menu while the
    // program keeps answering: the desktop took the foreground from the host
    // just after the program's balloon appeared (README: "Restarts and
    // retries"). Any other menu that does not open fails.
    if (RunningUnderWine() && !HoldsWithin([&] { return MenuTakesInput(); }, kMenuTimeoutMs) &&
        GetForegroundWindow() == GetDesktopWindow()) {
        WaitUntilIdle();
        NoteRetry("the tray menu did not open (" + DescribeDesktop() + "); asking for it once more");
        AskForTrayMenu();
    }
    WaitUntil([&] { return MenuTakesInput(); }, kMenuTimeoutMs, "tray menu", {m_process.get()});
}

void LucidframeApp::AskForTrayMenu() const
{
    NOTIFYICONIDENTIFIER icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = m_host;
    icon.uID = kTrayIconId;
    RECT place = {};
    if (Shell_NotifyIconGetRect(&icon, &place) == S_OK) {
        ClickAt({place.left + (place.right - place.left) / 2, place.top + (place.bottom - place.top) / 2},
                MouseButton::Right);
        ParkPointer();
    } else if (!PostMessageW(m_host, kTrayNotify, kTrayIconId, WM_RBUTTONDOWN)) {
        Fail("cannot post the tray callback");
    }
}

// The menu takes clicks and keys once its loop holds the mouse: before, a
// click would go to the window under the pointer.
bool LucidframeApp::MenuTakesInput() const
{
    HWND const menu = OpenMenu();
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    return menu && GetGUIThreadInfo(GetWindowThreadProcessId(menu, nullptr), &thread) &&
           (thread.flags & GUI_INMENUMODE) && thread.hwndCapture;
}

void LucidframeApp::Choose(TrayCommand command)
{
    OpenTrayMenu();
    PressKeys(KeysFor(command));
    if (command == TrayCommand::Exit)
        return;
    WaitUntil([&] { return OpenMenu() == nullptr; }, kMenuTimeoutMs, "closed tray menu", {m_process.get()});
    if (command != TrayCommand::DelayedCapture)
        WaitUntilIdle();
}

// A sent message waits until the program reads its queue again: after
// WM_INITDIALOG, and after a menu command, which runs once the menu's window
// is gone.
void LucidframeApp::WaitUntilIdle() const
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(m_host, WM_NULL, 0, 0, SMTO_NORMAL, kIdleTimeoutMs, &result))
        Fail("Lucidframe.exe does not answer");
}

DWORD LucidframeApp::ExitFromMenu()
{
    Choose(TrayCommand::Exit);
    return m_process->WaitForExit(kExitTimeoutMs);
}

// Only the icon's owner and identifier: a modification that changes nothing
// succeeds exactly when the shell has the icon.
NOTIFYICONDATAW LucidframeApp::IconKey() const
{
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = m_host;
    icon.uID = kTrayIconId;
    return icon;
}

bool LucidframeApp::TrayIconShown() const
{
    NOTIFYICONDATAW icon = IconKey();
    return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
}

void LucidframeApp::ShellForgetsIcon() const
{
    NOTIFYICONDATAW icon = IconKey();
    if (!Shell_NotifyIconW(NIM_DELETE, &icon))
        Fail("cannot remove the tray icon");
}

void LucidframeApp::ShellAnnouncesRestart() const
{
    if (!PostMessageW(m_host, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0))
        Fail("cannot post TaskbarCreated");
}

namespace {

// The NUL-terminated UTF-8 records of a log beside the program.
std::vector<std::wstring> ReadRecords(std::filesystem::path const& log)
{
    std::ifstream file(log, std::ios::binary);
    std::vector<std::wstring> records;
    std::string record;
    while (std::getline(file, record, '\0')) {
        int const length = MultiByteToWideChar(CP_UTF8, 0, record.data(), static_cast<int>(record.size()), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, record.data(), static_cast<int>(record.size()), text.data(), length);
        records.push_back(text);
    }
    return records;
}

} // namespace

std::vector<std::wstring> LucidframeApp::Balloons() const
{
    return ReadRecords(m_folder / L"balloons.log");
}

std::vector<std::wstring> LucidframeApp::FilesShown() const
{
    return ReadRecords(m_folder / L"opened.log");
}

std::vector<std::wstring> LucidframeApp::MenuTexts() const
{
    return ReadRecords(m_folder / L"menus.log");
}

std::vector<std::wstring> LucidframeApp::FoldersOpened() const
{
    return ReadRecords(m_folder / L"folders.log");
}

void LucidframeApp::WriteIni(std::string const& text) const
{
    int const length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    std::ofstream file(m_folder / L"Lucidframe.ini", std::ios::binary);
    file << "\xFF\xFE";
    for (wchar_t const unit : wide) {
        if (unit == L'\n')
            file << '\r' << '\0';
        file << static_cast<char>(unit & 0xFF) << static_cast<char>(unit >> 8);
    }
    if (!file)
        Fail("cannot write Lucidframe.ini");
}

std::string LucidframeApp::ReadIni() const
{
    std::ifstream file(m_folder / L"Lucidframe.ini", std::ios::binary);
    if (!file)
        return "";
    std::string const bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE' || bytes.size() % 2 != 0)
        Fail("Lucidframe.ini is not UTF-16LE with a byte-order mark");
    std::wstring text;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        wchar_t const unit = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit != L'\r')
            text += unit;
    }
    return Utf8(text);
}

void LucidframeApp::Stop()
{
    if (!Running())
        return;
    DWORD const exitCode = ExitFromMenu();
    if (exitCode != 0)
        Fail("the exit command ended Lucidframe.exe with " + std::to_string(exitCode));
}
