#include "tests/e2e/test_conditions_win32.h"

#include "tests/e2e/program_process_win32.h"
#include "tests/support/retry_log_win32.h"


namespace {

int const kHeldHotKeyId = 1;
wchar_t const kTaskbarClass[] = L"Shell_TrayWnd";
wchar_t const kAppDefaults[] = L"Software\\Wine\\AppDefaults\\Lucidframe.exe";
wchar_t const kKeyboard[] = L"Control Panel\\Keyboard";
wchar_t const kPrintScreenForSnipping[] = L"PrintScreenKeyForSnippingEnabled";

} // namespace

HotKeyHeldElsewhere::HotKeyHeldElsewhere(UINT modifiers, UINT key)
{
    if (!RegisterHotKey(nullptr, kHeldHotKeyId, modifiers | MOD_NOREPEAT, key))
        Fail("the hot key is already taken");
}

HotKeyHeldElsewhere::~HotKeyHeldElsewhere()
{
    UnregisterHotKey(nullptr, kHeldHotKeyId);
}

// Wine reads the version for a program from its AppDefaults key when the
// program starts.
WineReportsWindows10::WineReportsWindows10()
{
    if (!RunningUnderWine())
        return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        Fail("cannot make wine report Windows 10");
    wchar_t const version[] = L"win10";
    LSTATUS const status = RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<BYTE const*>(version),
                                          static_cast<DWORD>(sizeof(version)));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        Fail("cannot make wine report Windows 10");
}

WineReportsWindows10::~WineReportsWindows10()
{
    if (RunningUnderWine())
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
}

PrintScreenOpensScreenCapture::PrintScreenOpensScreenCapture()
{
    DWORD size = sizeof m_before;
    m_wasSet = RegGetValueW(HKEY_CURRENT_USER, kKeyboard, kPrintScreenForSnipping, RRF_RT_REG_DWORD, nullptr, &m_before,
                            &size) == ERROR_SUCCESS;
    DWORD const on = 1;
    if (RegSetKeyValueW(HKEY_CURRENT_USER, kKeyboard, kPrintScreenForSnipping, REG_DWORD, &on, sizeof on) != ERROR_SUCCESS)
        Fail("cannot turn on the Print screen key's screen capture");
}

PrintScreenOpensScreenCapture::~PrintScreenOpensScreenCapture()
{
    if (m_wasSet)
        RegSetKeyValueW(HKEY_CURRENT_USER, kKeyboard, kPrintScreenForSnipping, REG_DWORD, &m_before, sizeof m_before);
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kKeyboard, kPrintScreenForSnipping);
}

MutexRefusingEveryone::MutexRefusingEveryone(wchar_t const* name)
{
    SECURITY_DESCRIPTOR descriptor;
    ACL grantsNothing;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !InitializeAcl(&grantsNothing, sizeof grantsNothing, ACL_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, &grantsNothing, FALSE))
        Fail("cannot describe a mutex that refuses everyone");
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    m_mutex = CreateMutexW(&attributes, TRUE, name);
    if (m_mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS)
        Fail("cannot hold a mutex that refuses everyone");
}

MutexRefusingEveryone::~MutexRefusingEveryone()
{
    CloseHandle(m_mutex);
}

// Shell_NotifyIconW hands its record to the first window of the taskbar's
// class it finds, the newest; DefWindowProcW answers it with failure.
ShellNotReady::ShellNotReady()
{
    HANDLE const ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_thread = std::thread(&ShellNotReady::Run, this, ready);
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    if (m_taskbar == nullptr || FindWindowW(kTaskbarClass, nullptr) != m_taskbar) {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
        Fail("cannot stand in for the taskbar");
    }
}

ShellNotReady::~ShellNotReady()
{
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
}

void ShellNotReady::Run(HANDLE ready)
{
    m_threadId = GetCurrentThreadId();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTaskbarClass;
    RegisterClassW(&windowClass);
    m_taskbar = CreateWindowExW(WS_EX_TOOLWINDOW, kTaskbarClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    SetEvent(ready);
    MSG message;
    while (m_taskbar != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    DestroyWindow(m_taskbar);
    UnregisterClassW(kTaskbarClass, windowClass.hInstance);
}
