#pragma once

#include <QDateTime>
#include <optional>

#include "timezone/zonesource.h"

class Clock;

// The local zone's offsets and the present UTC time. Whether daylight-saving time is in force is
// the caller's choice (the user's option), so each quantity has a standard and a daylight form.
class TimeZone {
public:
    TimeZone(const ZoneSource& zone, const Clock& clock) : zone_(zone), clock_(clock) {}

    QDateTime standardUtcNow() const;  // now + standardOffset minutes, to the second
    QDateTime daylightUtcNow()
        const;                      // now + standardOffset + daylightShift minutes, to the second
    qint16 standardOffset() const;  // standardOffset
    qint16 daylightOffset() const;  // standardOffset + daylightShift
    qint32 daylightShift() const;   // daylightShift

    // Whether the zone keeps daylight-saving time at the UTC moment: true for daylight time,
    // false for standard time, nothing in a zone without daylight saving or at an offset that
    // is neither of the zone's two.
    std::optional<bool> daylightTimeAt(const QDateTime& utc) const;

private:
    QDateTime utcNowWithOffset(qint32 offset) const;

    const ZoneSource& zone_;
    const Clock& clock_;
};
