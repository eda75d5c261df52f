// The end-to-end driver's entry: GoogleTest's own flags, and
//   --lucidframe=FILE   test another build of the program, found beside this
//                       one, in place of Lucidframe.exe
#include "tests/e2e/lucidframe_app_win32.h"
#include "tests/support/retry_log_win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Each retry line names the test it belongs to.
class RetryContext : public testing::EmptyTestEventListener {
    void OnTestStart(testing::TestInfo const& test) override
    {
        SetRetryContext(std::string(test.test_suite_name()) + "." + test.name());
    }
    void OnTestEnd(testing::TestInfo const&) override { SetRetryContext(""); }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new RetryContext);
    std::string const option = "--lucidframe=";
    for (int i = 1; i < argc; ++i) {
        std::string const argument = argv[i];
        if (argument.rfind(option, 0) != 0) {
            std::fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
        std::string const fileName = argument.substr(option.size());
        SetProgramUnderTest(std::wstring(fileName.begin(), fileName.end()));
    }
    return RUN_ALL_TESTS();
}
