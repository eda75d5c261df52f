// lucidframe-matte as its entry point runs it, with one seam for the tests:
//   lucidframe-matte-stop-probe STOP ARGUMENT...
// STOP (SIGINT, SIGTERM or SIGHUP; ctrl-c or ctrl-break on Windows) reaches
// the tool from inside its save, while the temporary file exists.
#include "matte_entry.h"

#include "output/png_file.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace {

#ifdef _WIN32

DWORD stopEvent = CTRL_C_EVENT;

// The event is handled on a thread of its own, which ends the process; the
// wait only bounds a run in which the event never comes.
void Stop()
{
    GenerateConsoleCtrlEvent(stopEvent, 0);
    Sleep(10000);
}

bool ChooseStop(const wchar_t* name)
{
    stopEvent = std::wcscmp(name, L"ctrl-c") == 0 ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
    return std::wcscmp(name, L"ctrl-c") == 0 || std::wcscmp(name, L"ctrl-break") == 0;
}

#else

int stopSignal = 0;

void Stop()
{
    std::raise(stopSignal);
}

bool ChooseStop(const char* name)
{
    struct Named {
        const char* name;
        int signal;
    };
    for (Named const named : {Named{"SIGINT", SIGINT}, Named{"SIGTERM", SIGTERM}, Named{"SIGHUP", SIGHUP}})
        if (std::strcmp(name, named.name) == 0)
            stopSignal = named.signal;
    return stopSignal != 0;
}

#endif

template <typename Char>
int RunWithStop(int argc, Char** argv)
{
    if (argc < 2 || !ChooseStop(argv[1]))
        return 2;
    SetSaveHookForTesting(Stop);
    argv[1] = argv[0];
    return RunMatteTool(argc - 1, argv + 1);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
#else
int main(int argc, char** argv)
#endif
{
    return RunWithStop(argc, argv);
}
