#pragma once

#include "timezone/zonesource.h"

class Clock;

// The machine's zone (QTimeZone::systemTimeZone(), so TZ= is honoured), read at every call.
// standardOffset and daylightShift come from the zone's two UTC offsets of the present year: the
// lower one is standard time, the difference is the daylight shift. So daylightShift is never
// positive, even for zones whose data calls winter the daylight period.
class SystemZoneSource final : public ZoneSource {
public:
    explicit SystemZoneSource(const Clock& clock) : clock_(clock) {}
    ZoneOffsets offsets() const override;
    std::optional<qint32> offsetAt(const QDateTime& utc) const override;

private:
    const Clock& clock_;
};
