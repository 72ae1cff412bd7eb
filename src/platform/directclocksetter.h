#pragma once

#include "engine/clocksetter.h"

// Sets CLOCK_REALTIME to the instant with clock_settime, at once. Needs CAP_SYS_TIME; without
// it the result names the refusal ("Operation not permitted").
class DirectClockSetter final : public ClockSetter {
public:
    std::optional<ClockSetResult> setClock(const ClockChange& change) override;
};
