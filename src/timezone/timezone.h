#pragma once

#include <QDateTime>
#include <optional>

#include "timezone/zonesource.h"

// The local zone's offsets. Whether daylight-saving time is in force is the caller's choice (the
// user's option), so each quantity has a standard and a daylight form.
class TimeZone {
public:
    explicit TimeZone(const ZoneSource& zone) : zone_(zone) {}

    // The offsets as they are now, for a caller that needs several quantities at once: each
    // reading goes through the zone's transitions of a whole year.
    ZoneOffsets offsets() const { return zone_.offsets(); }
    // The UTC time a local time stands for: local + standardOffset (+ daylightShift) minutes.
    static QDateTime utcOf(const QDateTime& local, const ZoneOffsets& offsets, bool daylight);

    qint16 standardOffset() const;  // standardOffset
    qint16 daylightOffset() const;  // standardOffset + daylightShift

    // Whether the zone keeps daylight-saving time at the UTC moment: true for daylight time,
    // false for standard time, nothing in a zone without daylight saving or at an offset that
    // is neither of the zone's two.
    std::optional<bool> daylightTimeAt(const QDateTime& utc) const;

private:
    const ZoneSource& zone_;
};
