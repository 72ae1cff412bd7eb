#pragma once

#include "timezone/zonesource.h"

class Clock;

// The machine's zone (QTimeZone::systemTimeZone(), so TZ= is honoured), read at every call.
// Bias and DaylightBias come from the zone's two UTC offsets of the present year: the lower one
// is standard time, the difference is the daylight bias. So DaylightBias is never positive, even
// for zones whose data calls winter the daylight period.
class SystemZoneSource final : public ZoneSource {
public:
    explicit SystemZoneSource(const Clock& clock) : clock_(clock) {}
    TimeZoneInformation GetTimeZoneInformation() const override;
    std::optional<qint32> biasAt(const QDateTime& utc) const override;

private:
    const Clock& clock_;
};
