#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "png/gdiplus_win32.h"
#include "res/resource.h"
#include "shell/app_state.h"
#include "shell/host_window.h"
#include "shell/settings_file.h"
#include "shell/single_instance.h"

namespace {

wchar_t const kInstanceMutexName[] = L"VEMRA.MUTEX.VITRUM";

// The folder of the executable, without a trailing backslash.
void StoreProgramFolder(HINSTANCE instance)
{
    GetModuleFileNameW(instance, g_app.programFolder, MAX_PATH);
    wchar_t* lastBackslash = std::wcsrchr(g_app.programFolder, L'\\');
    if (lastBackslash != nullptr) {
        *lastBackslash = L'\0';
    }
}

// The program's main routine: single-instance guard, paths, settings, GDI+,
// then the hidden host window until the program ends. Returns the exit code.
int AppMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    g_app.instance = instance;

    // The mutex stays open, and owned, for the life of the process: it is what
    // a second start sees.
    HANDLE instanceMutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    if (AnotherInstanceRuns(instanceMutex, GetLastError())) {
        if (instanceMutex != nullptr) {
            CloseHandle(instanceMutex);
        }
        return 0;
    }

    StoreProgramFolder(instance);
    // With no room for the file name the path stays empty and options simply
    // are not persisted.
    ComposeIniPath(g_app.programFolder, g_app.iniPath);
    g_app.settings = LoadSettings(g_app.iniPath);
    g_app.language = ChooseUiLanguage(g_app.settings.uiLanguage, GetUserDefaultUILanguage());

    InitCommonControls();
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&g_app.gdiplusToken, &gdiplusInput, nullptr);

    return static_cast<int>(
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_HOST), nullptr, HostDialogProc, 0));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine, int showCommand)
{
    return AppMain(instance, previousInstance, commandLine, showCommand);
}
