#pragma once

#include "imaging/instruction_set.h"

#include <gtest/gtest.h>

#include <string>

// Runs a test once per instruction set, each forced through the library's test
// hook; a set the processor lacks is skipped, not passed.
class EveryInstructionSet : public testing::TestWithParam<InstructionSet> {
protected:
    void SetUp() override
    {
        if (!UseInstructionSet(GetParam()))
            GTEST_SKIP() << InstructionSetName(GetParam()) << " is not available on this processor or build";
    }
    void TearDown() override { UseInstructionSet(previous_); }

private:
    InstructionSet previous_ = ActiveInstructionSet();
};

inline auto EveryInstructionSetValue()
{
    return testing::Values(InstructionSet::Scalar, InstructionSet::Sse2, InstructionSet::Avx2);
}

inline std::string InstructionSetParamName(testing::TestParamInfo<InstructionSet> const& info)
{
    return InstructionSetName(info.param);
}
