#include "capture/raise_plan.h"

#include <gtest/gtest.h>

namespace {

struct RaiseRow {
    char const* name;
    RaiseFacts facts;
    TargetRaise raise;
    bool copyLayered;
};
TargetRaise const kTop = TargetRaise::TopOfItsBand;
TargetRaise const kThrough = TargetRaise::ThroughTopmost;
RaiseRow const kRaiseRows[] = {
    {"composing desktop, plain window", {true, false, false}, kTop, false},
    {"composing desktop, window with a topmost palette", {true, false, true}, kTop, false},
    {"composing desktop, topmost window", {true, true, false}, kTop, false},
    {"nothing composes, plain window", {false, false, false}, kThrough, true},
    {"nothing composes, window with a topmost palette", {false, false, true}, kTop, true},
    {"nothing composes, topmost window", {false, true, false}, kTop, true},
    {"nothing composes, topmost window with a topmost palette", {false, true, true}, kTop, true},
};

TEST(RaisePlan, ThroughTheTopmostBandAndWithLayeredWindowsOnlyWhereNothingComposes)
{
    for (RaiseRow const& row : kRaiseRows) {
        RaisePlan const plan = RaisePlanFor(row.facts);
        EXPECT_EQ(plan.raise, row.raise) << row.name;
        EXPECT_EQ(plan.copyLayered, row.copyLayered) << row.name;
    }
}

} // namespace
