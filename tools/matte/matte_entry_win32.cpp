#include "matte_entry.h"

#include "matte.h"

#include "png/gdiplus_win32.h"
#include "output/png_file.h"

#include <filesystem>

namespace {

// The statuses POSIX shells report for a program ended by SIGINT and SIGTERM.
UINT const kStatusAfterCtrlC = 130;
UINT const kStatusAfterTermination = 143;

// Windows runs the handler on a thread of its own while the tool goes on, so
// the save under way is held back and its file removed before the process
// ends.
BOOL WINAPI OnConsoleControl(DWORD event)
{
    UINT status = 0;
    switch (event) {
    case CTRL_C_EVENT:
        status = kStatusAfterCtrlC;
        break;
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        status = kStatusAfterTermination;
        break;
    default:
        return FALSE;
    }
    RemoveUnfinishedSave();
    ExitProcess(status);
}

} // namespace

// Wide arguments, so that file names outside the ANSI code page arrive intact;
// they are handed on as UTF-8.
int RunMatteTool(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        std::u8string const argument = std::filesystem::path(argv[i]).u8string();
        arguments.emplace_back(argument.begin(), argument.end());
    }

    Gdiplus::GdiplusStartupInput const input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fputs("lucidframe-matte: GDI+ cannot be started\n", stderr);
        return kMatteFailure;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    int const status = MatteMain(arguments, stdout, stderr);
    Gdiplus::GdiplusShutdown(token);
    return status;
}
