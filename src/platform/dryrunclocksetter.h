#pragma once

#include "engine/clocksetter.h"

// Never touches the clock; every correction counts as done, at once.
class DryRunClockSetter final : public ClockSetter {
public:
    std::optional<ClockSetResult> setClock(const ClockChange&) override {
        return ClockSetResult{true, {}};
    }
    bool isDryRun() const override { return true; }
};
