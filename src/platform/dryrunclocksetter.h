#pragma once

#include "platform/clocksetter.h"

// Never touches the clock; every correction counts as done.
class DryRunClockSetter final : public ClockSetter {
public:
    ClockSetResult setClock(const ClockChange&) override { return {true, {}}; }
    bool isDryRun() const override { return true; }
};
