#include "matte_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ParseCase {
    const char* name;
    std::vector<std::string> arguments;
    MatteAction action;
    MatteOptions options; // checked for Run only
    const char* error;    // a part of the message, for UsageError only
};

MatteOptions Options(std::string black, std::string white, std::string output, bool crop = false,
                     bool checkerboard = false)
{
    return {std::move(black), std::move(white), std::move(output), crop, checkerboard};
}

class ParseMatteArgumentsTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseMatteArgumentsTable, GivesTheAction)
{
    ParseCase const& c = GetParam();
    MatteCommand const command = ParseMatteArguments(c.arguments);
    ASSERT_EQ(command.action, c.action) << command.error;
    if (c.action == MatteAction::Run) {
        EXPECT_EQ(command.options.black, c.options.black);
        EXPECT_EQ(command.options.white, c.options.white);
        EXPECT_EQ(command.options.output, c.options.output);
        EXPECT_EQ(command.options.crop, c.options.crop);
        EXPECT_EQ(command.options.checkerboard, c.options.checkerboard);
    }
    if (c.action == MatteAction::UsageError) {
        EXPECT_NE(command.error.find(c.error), std::string::npos) << command.error;
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, ParseMatteArgumentsTable, testing::Values(
    ParseCase{"plain", {"b.png", "w.png", "-o", "o.png"}, MatteAction::Run, Options("b.png", "w.png", "o.png"), ""},
    ParseCase{"long_output_between_inputs", {"b.png", "--output", "o.png", "w.png"}, MatteAction::Run,
              Options("b.png", "w.png", "o.png"), ""},
    ParseCase{"both_steps", {"--checkerboard", "b.png", "w.png", "--crop", "-o", "o.png"}, MatteAction::Run,
              Options("b.png", "w.png", "o.png", true, true), ""},
    ParseCase{"dash_names_after_double_dash", {"-o", "-out.png", "--", "-b.png", "--crop"}, MatteAction::Run,
              Options("-b.png", "--crop", "-out.png"), ""},
    ParseCase{"help", {"--help"}, MatteAction::Help, {}, ""},
    ParseCase{"short_help_among_others", {"b.png", "-h", "--frob"}, MatteAction::Help, {}, ""},
    ParseCase{"version", {"--version"}, MatteAction::Version, {}, ""},
    ParseCase{"nothing", {}, MatteAction::UsageError, {}, "expected two input files"},
    ParseCase{"one_input", {"b.png", "-o", "o.png"}, MatteAction::UsageError, {}, "got 1"},
    ParseCase{"no_output", {"b.png", "w.png"}, MatteAction::UsageError, {}, "no output file"},
    ParseCase{"output_without_name", {"b.png", "w.png", "-o"}, MatteAction::UsageError, {}, "-o needs a file name"},
    ParseCase{"output_twice", {"b.png", "w.png", "-o", "o.png", "--output", "p.png"}, MatteAction::UsageError, {},
              "--output given more than once"},
    ParseCase{"unknown_option", {"b.png", "w.png", "-o", "o.png", "--frob"}, MatteAction::UsageError, {},
              "unknown option --frob"},
    ParseCase{"options_are_not_combined", {"b.png", "w.png", "-oo.png"}, MatteAction::UsageError, {},
              "unknown option -oo.png"},
    ParseCase{"empty_input_name", {"", "w.png", "-o", "o.png"}, MatteAction::UsageError, {}, "empty"}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

} // namespace
