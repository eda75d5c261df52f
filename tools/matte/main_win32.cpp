#include "matte.h"

#include "output/gdiplus_win32.h"

#include <filesystem>

// Wide arguments, so that file names outside the ANSI code page arrive intact;
// they are handed on as UTF-8.
int wmain(int argc, wchar_t** argv)
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
    int const status = MatteMain(arguments, stdout, stderr);
    Gdiplus::GdiplusShutdown(token);
    return status;
}
