// A build of Lucidframe for lucidframe-stress: linked with --wrap, it notes
// each copy it makes again after a stale one as one line ("black" or
// "white") in copies.log beside the program, and is otherwise the program.

#include "capture/backdrop_capture_win32.h"

#include <cstdio>

extern "C" bool __real__Z17CopyOverBackdropsR15BackdropCapture11StaleCopies10CopyTiming(BackdropCapture& capture,
                                                                                       StaleCopies which,
                                                                                       CopyTiming timing);

extern "C" bool __wrap__Z17CopyOverBackdropsR15BackdropCapture11StaleCopies10CopyTiming(BackdropCapture& capture,
                                                                                       StaleCopies which,
                                                                                       CopyTiming timing)
{
    if (timing == CopyTiming::AfterAFrame) {
        wchar_t log[MAX_PATH] = {};
        DWORD const length = GetModuleFileNameW(nullptr, log, MAX_PATH);
        wchar_t* slash = wcsrchr(log, L'\\');
        if (length > 0 && length < MAX_PATH && slash && slash - log + 11 < MAX_PATH) {
            wcscpy(slash + 1, L"copies.log");
            if (FILE* file = _wfopen(log, L"a")) {
                if (which.black)
                    std::fputs("black\n", file);
                if (which.white)
                    std::fputs("white\n", file);
                std::fclose(file);
            }
        }
    }
    return __real__Z17CopyOverBackdropsR15BackdropCapture11StaleCopies10CopyTiming(capture, which, timing);
}
