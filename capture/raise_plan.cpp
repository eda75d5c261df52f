#include "capture/raise_plan.h"

RaisePlan RaisePlanFor(RaiseFacts facts)
{
    RaisePlan plan;
    plan.copyLayered = !facts.composes;
    if (!facts.composes && !facts.targetTopmost && !facts.ownsTopmostWindow)
        plan.raise = TargetRaise::ThroughTopmost;
    return plan;
}
