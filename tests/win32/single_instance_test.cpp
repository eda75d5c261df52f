// Whether a start finds another instance running, from what CreateMutexW
// reports; the real calls for the cases a test can make.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/single_instance.h"
#include "tests/e2e/test_conditions_win32.h"

namespace {

HANDLE const kMade = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x44));

struct InstanceCase {
    char const* name;
    HANDLE mutex;
    DWORD lastError;
    bool anotherRuns;
};

InstanceCase const kInstanceCases[] = {
    {"first_instance", kMade, ERROR_SUCCESS, false},
    {"same_user_and_level", kMade, ERROR_ALREADY_EXISTS, true},
    {"instance_at_a_higher_integrity_level", nullptr, ERROR_ACCESS_DENIED, true},
    // The name taken by an object of another kind: run unguarded, as ever.
    {"name_held_by_another_kind_of_object", nullptr, ERROR_INVALID_HANDLE, false},
    {"no_resources_for_the_mutex", nullptr, ERROR_NOT_ENOUGH_MEMORY, false},
};

class SingleInstance : public testing::TestWithParam<InstanceCase> {};

TEST_P(SingleInstance, DecidesFromTheHandleAndTheLastError)
{
    InstanceCase const& c = GetParam();
    EXPECT_EQ(AnotherInstanceRuns(c.mutex, c.lastError), c.anotherRuns);
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleInstance, testing::ValuesIn(kInstanceCases),
                         [](testing::TestParamInfo<InstanceCase> const& info) { return std::string(info.param.name); });

wchar_t const kTestMutexName[] = L"Lucidframe.SingleInstanceTest";

TEST(SingleInstanceCalls, MutexThatRefusesAccessCountsAsAnotherInstance)
{
    MutexRefusingEveryone const elevated(kTestMutexName);
    HANDLE const second = CreateMutexW(nullptr, TRUE, kTestMutexName);
    DWORD const error = GetLastError();
    EXPECT_TRUE(AnotherInstanceRuns(second, error)) << "handle " << second << ", error " << error;
    if (second != nullptr)
        CloseHandle(second);
}

TEST(SingleInstanceCalls, SecondMutexOfTheSameNameCountsAsAnotherInstance)
{
    HANDLE const first = CreateMutexW(nullptr, TRUE, kTestMutexName);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(AnotherInstanceRuns(first, GetLastError()));
    HANDLE const second = CreateMutexW(nullptr, TRUE, kTestMutexName);
    EXPECT_TRUE(AnotherInstanceRuns(second, GetLastError()));
    CloseHandle(second);
    CloseHandle(first);
}

} // namespace
