#include "matte_run.h"

std::vector<std::string> InFolder(const ScratchFolder& folder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> placed;
    for (const std::string& argument : arguments)
        placed.push_back(argument[0] == '-' ? argument : Utf8(folder / PathFromUtf8(argument)));
    return placed;
}

ProgramRun RunMatte(const ScratchFolder& folder, const std::vector<std::string>& arguments, const RunLimits& limits)
{
    return RunProgram(LUCIDFRAME_MATTE_EXE, InFolder(folder, arguments), limits);
}
