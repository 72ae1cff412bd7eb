#pragma once

#include "platform/clocksetter.h"

// Asks the system's time service (systemd's timedated, org.freedesktop.timedate1 on the system
// bus) to step the clock by the correction. This is how an ordinary user sets the clock: polkit
// decides, and may ask for a password first, so the call waits up to two minutes for the answer.
// The step is relative, so it stays right however long that takes. The bus is the one named by
// DBUS_SYSTEM_BUS_ADDRESS, else the standard system bus.
class TimedatedClockSetter final : public ClockSetter {
public:
    ClockSetResult setClock(const ClockChange& change) override;
};
