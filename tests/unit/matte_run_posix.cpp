#include "matte_run.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

// AddressSanitizer reserves terabytes of address space at start-up, so an
// address-space limit would stop it before the program runs; it caps each
// allocation itself instead, and then returns null, as malloc does when
// memory runs out.
std::vector<std::string> Environment(const RunLimits& limits)
{
    std::vector<std::string> environment;
    std::string sanitizerOptions;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "ASAN_OPTIONS=", 13) == 0)
            sanitizerOptions = *entry + 13;
        else
            environment.emplace_back(*entry);
    }
    if (kAddressSanitizer && limits.memoryBytes > 0)
        sanitizerOptions += (sanitizerOptions.empty() ? "" : ":") +
                            std::string("allocator_may_return_null=1:max_allocation_size_mb=") +
                            std::to_string(limits.memoryBytes >> 20);
    if (!sanitizerOptions.empty())
        environment.push_back("ASAN_OPTIONS=" + sanitizerOptions);
    return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

// The program runs under matte-run-measured, in a process group of its own so
// that a run past its time is killed whole.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments, const RunLimits& limits)
{
    ScratchFolder streams;
    std::string const outPath = Utf8(streams / "out.txt");
    std::string const errPath = Utf8(streams / "err.txt");
    std::string const reportPath = Utf8(streams / "report.txt");
    std::vector<std::string> argumentStrings{LUCIDFRAME_MATTE_RUN_MEASURED_EXE, reportPath, program};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environmentStrings = Environment(limits);
    std::vector<char*> const argv = Pointers(argumentStrings);
    std::vector<char*> const envp = Pointers(environmentStrings);

    auto const start = std::chrono::steady_clock::now();
    pid_t const child = fork();
    if (child == 0) {
        setpgid(0, 0);
        int const out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int const err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (!kAddressSanitizer && limits.memoryBytes > 0) {
            rlimit const memory{limits.memoryBytes, limits.memoryBytes};
            setrlimit(RLIMIT_AS, &memory);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }

    ProgramRun run;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) != child) {
        if (std::chrono::steady_clock::now() - start > std::chrono::duration<double>(limits.timeoutSeconds)) {
            kill(-child, SIGKILL);
            waitpid(child, &status, 0);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    long peakKiB = -1;
    std::istringstream(ReadBytes(streams / "report.txt")) >> run.status >> run.cpuSeconds >> peakKiB;
    run.peakMiB = static_cast<double>(peakKiB) / 1024.0;
    run.out = ReadBytes(streams / "out.txt");
    run.err = ReadBytes(streams / "err.txt");
    return run;
}
