#include "matte_arguments.h"

namespace {

MatteCommand UsageError(std::string error)
{
    MatteCommand command;
    command.error = std::move(error);
    return command;
}

} // namespace

MatteCommand ParseMatteArguments(const std::vector<std::string>& arguments)
{
    MatteCommand command;
    std::vector<std::string> files;
    bool haveOutput = false;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string const& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            command.action = MatteAction::Help;
            return command;
        } else if (argument == "--version") {
            command.action = MatteAction::Version;
            return command;
        } else if (argument == "--crop") {
            command.options.crop = true;
        } else if (argument == "--checkerboard") {
            command.options.checkerboard = true;
        } else if (argument == "-o" || argument == "--output") {
            if (haveOutput)
                return UsageError(argument + " given more than once");
            if (i + 1 == arguments.size() || arguments[i + 1].empty())
                return UsageError(argument + " needs a file name");
            command.options.output = arguments[++i];
            haveOutput = true;
        } else {
            return UsageError("unknown option " + argument);
        }
    }

    if (files.size() != 2)
        return UsageError("expected two input files, BLACK.png and WHITE.png, got " + std::to_string(files.size()));
    if (!haveOutput)
        return UsageError("no output file; give one with -o OUT.png");
    if (files[0].empty() || files[1].empty())
        return UsageError("an input file name is empty");
    command.options.black = files[0];
    command.options.white = files[1];
    command.action = MatteAction::Run;
    return command;
}
