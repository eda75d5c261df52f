// Runs a program as its only child and reports on it:
//   matte-run-measured REPORT PROGRAM ARGUMENT...
// REPORT gets one line: the exit status (128 + the number of a signal that
// ended the child), its processor seconds and its peak resident memory in KiB.
// Linux counts in a process's peak the memory it held before it called exec,
// and a child forked straight from a test holds the whole test until then;
// this small program, built without sanitizers, is what the child is forked
// from instead.
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    pid_t const child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return 1;

    int const exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    double const seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::FILE* const report = std::fopen(argv[1], "w");
    if (report == nullptr)
        return 1;
    std::fprintf(report, "%d %.6f %ld\n", exitStatus, seconds, usage.ru_maxrss);
    return std::fclose(report) == 0 ? 0 : 1;
}
