#pragma once

#include "engine/clocksetter.h"

class QDBusPendingCallWatcher;

// Asks the system's time service (systemd's timedated, org.freedesktop.timedate1 on the system
// bus) to step the clock by the correction. This is how an ordinary user sets the clock: polkit
// decides, and may ask for a password first, so the answer may take as long as the user leaves
// the dialog open; it comes by finished() while the event loop runs on, with no time-out. The
// step is relative, so it stays right however long that takes. The bus is the one named by
// DBUS_SYSTEM_BUS_ADDRESS, else the standard one.
class TimedatedClockSetter final : public ClockSetter {
public:
    using ClockSetter::ClockSetter;
    ~TimedatedClockSetter() override;
    std::optional<ClockSetResult> setClock(const ClockChange& change) override;

private:
    void answer();

    QDBusPendingCallWatcher* pending_ = nullptr;  // the request out, if any; a child
};
