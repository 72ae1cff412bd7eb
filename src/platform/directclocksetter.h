#pragma once

#include "platform/clocksetter.h"

// Steps CLOCK_REALTIME by the correction with clock_settime. Needs CAP_SYS_TIME; without it the
// result names the refusal ("Operation not permitted").
class DirectClockSetter final : public ClockSetter {
public:
    ClockSetResult setClock(const ClockChange& change) override;
};
