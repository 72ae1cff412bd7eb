#pragma once

#include <memory>

#include "engine/clocksetter.h"

// Sets the clock the way this machine allows: with the direct system call when the process may
// (CAP_SYS_TIME), else through the time service, which lets an ordinary user do it with polkit's
// consent. Decided afresh for each correction by trying, never by the user id: root in a
// container may lack the right too. A back end's later answer is passed on as this one's.
class SystemClockSetter final : public ClockSetter {
public:
    SystemClockSetter();  // clock_settime, then timedated
    SystemClockSetter(std::unique_ptr<ClockSetter> direct,
                      std::unique_ptr<ClockSetter> timeService);
    std::optional<ClockSetResult> setClock(const ClockChange& change) override;

private:
    std::unique_ptr<ClockSetter> direct_;
    std::unique_ptr<ClockSetter> timeService_;
};
