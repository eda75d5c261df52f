// lucidframe-e2e-helper: the Windows side of the end-to-end tests. It talks to
// the running Lucidframe.exe the way the shell and the user would, and checks
// what the program leaves behind.
//
//   wait-window CLASS TITLE SECONDS   exit 0 once such a window exists ("-" = any class)
//   tray LPARAM                       post the tray callback to the host window
//   forget-icon                       remove the host's tray icon, as a crashing shell loses it
//   taskbar-created                   announce a restarted shell to the host window
//   keys KEY...                       type Up, Down, Left, Right, Escape or Return into the open menu
//   hold-hotkey SECONDS               hold Ctrl+PrtSc for that long
//   message-box TITLE SECONDS         print a message box's text, then close it
//   check-png FILE MODE               compare a capture with the sample window's pixels
//   png-summary FILE                  print "WIDTH HEIGHT MINALPHA MAXALPHA"
//
// Every failure prints why, so a failure that printed nothing is wine's own
// (tools/wine-run starts the helper again then).
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <cstdint>
#include <string>
#include <vector>

#include "output/gdiplus_win32.h"
#include "output/png_reader.h"
#include "tools/sample_window/sample_pattern.h"

namespace {

UINT const kTrayNotify = WM_USER;
DWORD const kPollMs = 50;

void Print(std::wstring const& text)
{
    int const length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), length, nullptr,
                        nullptr);
    utf8 += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// The helper's one way of failing: it always says why.
int Failed(std::wstring const& why)
{
    Print(why);
    return 1;
}

// Polls until `find` returns a window or `seconds` pass.
template <typename Find>
HWND WaitFor(Find find, double seconds)
{
    ULONGLONG const deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        HWND window = find();
        if (window != nullptr || GetTickCount64() >= deadline) {
            return window;
        }
        Sleep(kPollMs);
    }
}

HWND FindTopLevel(wchar_t const* className, wchar_t const* title)
{
    return FindWindowW(std::wcscmp(className, L"-") == 0 ? nullptr : className, title);
}

HWND FindHostWindow()
{
    return FindWindowW(L"#32770", L"Lucidframe");
}

int WaitWindow(wchar_t const* className, wchar_t const* title, double seconds)
{
    bool const found = WaitFor([&] { return FindTopLevel(className, title); }, seconds) != nullptr;
    return found ? 0 : Failed(std::wstring(L"no window ") + title);
}


int PostTrayMessage(LPARAM mouseMessage)
{
    HWND host = FindHostWindow();
    if (host == nullptr) {
        return Failed(L"no host window");
    }
    return PostMessageW(host, kTrayNotify, 1, mouseMessage) ? 0 : Failed(L"cannot post the tray callback");
}

int ForgetTrayIcon()
{
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = FindHostWindow();
    icon.uID = 1;
    return icon.hWnd != nullptr && Shell_NotifyIconW(NIM_DELETE, &icon) ? 0 : Failed(L"cannot remove the icon");
}

int AnnounceTaskbarCreated()
{
    HWND host = FindHostWindow();
    return host != nullptr && PostMessageW(host, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0)
               ? 0
               : Failed(L"cannot post TaskbarCreated");
}

// The menu's modal loop reads keys from its thread's queue whichever window
// they are posted to, so they reach it even when the X keyboard focus, and with
// it wine's foreground window, is elsewhere.
int TypeIntoMenu(std::vector<std::wstring> const& keys)
{
    HWND host = FindHostWindow();
    if (host == nullptr || FindWindowW(L"#32768", nullptr) == nullptr) {
        return Failed(L"no open menu");
    }
    struct Key {
        wchar_t const* name;
        WPARAM virtualKey;
    };
    Key const table[] = {{L"Up", VK_UP}, {L"Down", VK_DOWN}, {L"Left", VK_LEFT},
                         {L"Right", VK_RIGHT}, {L"Escape", VK_ESCAPE}, {L"Return", VK_RETURN}};
    for (std::wstring const& name : keys) {
        Key const* key = std::find_if(std::begin(table), std::end(table), [&](Key const& k) { return name == k.name; });
        if (key == std::end(table)) {
            Print(L"unknown key " + name);
            return 2;
        }
        // Return acts through its character, as TranslateMessage would make it.
        if (key->virtualKey == VK_RETURN) {
            PostMessageW(host, WM_CHAR, L'\r', 1);
        } else {
            PostMessageW(host, WM_KEYDOWN, key->virtualKey, 1);
        }
        Sleep(kPollMs);
    }
    return 0;
}

int HoldHotKey(double seconds)
{
    if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_NOREPEAT, VK_SNAPSHOT)) {
        return Failed(L"Ctrl+PrtSc is taken");
    }
    Print(L"holding Ctrl+PrtSc");
    Sleep(static_cast<DWORD>(seconds * 1000));
    return 0;
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM lParam)
{
    wchar_t className[32] = {};
    wchar_t text[512] = {};
    GetClassNameW(child, className, ARRAYSIZE(className));
    GetWindowTextW(child, text, ARRAYSIZE(text));
    if (_wcsicmp(className, L"Static") == 0 && text[0] != L'\0') {
        *reinterpret_cast<std::wstring*>(lParam) += text;
    }
    return TRUE;
}

int ReadAndCloseMessageBox(wchar_t const* title, double seconds)
{
    HWND box = WaitFor([&] { return FindWindowW(L"#32770", title); }, seconds);
    if (box == nullptr) {
        return Failed(L"no message box");
    }
    std::wstring text;
    EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&text));
    Print(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

// Loads a PNG through GDI+, which must run for the reader.
bool LoadPng(wchar_t const* file, std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height)
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    bool const loaded = ReadPng(file, pixels, width, height);
    Gdiplus::GdiplusShutdown(token);
    if (!loaded) {
        Print(std::wstring(L"cannot read ") + file);
    }
    return loaded;
}

int CheckPng(wchar_t const* file, wchar_t const* modeName)
{
    SampleMode mode = SampleMode::Pattern;
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!ParseSampleMode(modeName, mode)) {
        return Failed(L"unknown sample mode");
    }
    if (!LoadPng(file, pixels, width, height)) {
        return 1;
    }
    std::string mismatch;
    if (!MatchesSample(mode, pixels.data(), width, height, mismatch)) {
        return Failed(std::wstring(mismatch.begin(), mismatch.end()));
    }
    return 0;
}

int PrintPngSummary(wchar_t const* file)
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!LoadPng(file, pixels, width, height)) {
        return 1;
    }
    std::uint32_t minAlpha = 255;
    std::uint32_t maxAlpha = 0;
    for (std::uint32_t pixel : pixels) {
        std::uint32_t const alpha = pixel >> 24;
        minAlpha = alpha < minAlpha ? alpha : minAlpha;
        maxAlpha = alpha > maxAlpha ? alpha : maxAlpha;
    }
    Print(std::to_wstring(width) + L" " + std::to_wstring(height) + L" " + std::to_wstring(minAlpha) + L" " +
          std::to_wstring(maxAlpha));
    return 0;
}

int Usage()
{
    Print(L"usage: lucidframe-e2e-helper wait-window|tray|forget-icon|taskbar-created|keys|hold-hotkey|message-box|check-png|png-summary ...");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::wstring> const args(argv + 1, argv + argc);
    auto const is = [&](wchar_t const* command, std::size_t operands) {
        return !args.empty() && args[0] == command && args.size() == operands + 1;
    };
    if (is(L"wait-window", 3)) {
        return WaitWindow(args[1].c_str(), args[2].c_str(), _wtof(args[3].c_str()));
    }
    if (is(L"tray", 1)) {
        return PostTrayMessage(_wtoi(args[1].c_str()));
    }
    if (is(L"forget-icon", 0)) {
        return ForgetTrayIcon();
    }
    if (is(L"taskbar-created", 0)) {
        return AnnounceTaskbarCreated();
    }
    if (args.size() > 1 && args[0] == L"keys") {
        return TypeIntoMenu(std::vector<std::wstring>(args.begin() + 1, args.end()));
    }
    if (is(L"hold-hotkey", 1)) {
        return HoldHotKey(_wtof(args[1].c_str()));
    }
    if (is(L"message-box", 2)) {
        return ReadAndCloseMessageBox(args[1].c_str(), _wtof(args[2].c_str()));
    }
    if (is(L"check-png", 2)) {
        return CheckPng(args[1].c_str(), args[2].c_str());
    }
    if (is(L"png-summary", 1)) {
        return PrintPngSummary(args[1].c_str());
    }
    return Usage();
}
