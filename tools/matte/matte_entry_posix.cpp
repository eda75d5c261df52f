#include "matte_entry.h"

#include "matte.h"

#include "output/png_file.h"

#include <csignal>

#include <signal.h>

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The temporary file goes first. The signal, whose default action
// SA_RESETHAND has restored, then ends the tool as it would have without the
// handler: the shell reports 128 plus its number (130 for SIGINT, 143 for
// SIGTERM), and a script that ran the tool stops too.
void OnStopSignal(int signal)
{
    RemoveUnfinishedSave();
    std::raise(signal);
}

void RemoveUnfinishedSaveOnStop()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals)
        sigaddset(&action.sa_mask, signal);
    for (int signal : kStopSignals) {
        // A signal ignored from the start (nohup, a background job) stays ignored.
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

} // namespace

int RunMatteTool(int argc, char** argv)
{
    RemoveUnfinishedSaveOnStop();
    return MatteMain(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
