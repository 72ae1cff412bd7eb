#include "timezone/timezone.h"

#include "common/clock.h"
#include "common/walltime.h"

QDateTime TimeZone::utcNowWithOffset(qint32 offset) const {
    return wholeSecond(clock_.localNow()).addSecs(qint64(offset) * 60);
}

QDateTime TimeZone::standardUtcNow() const {
    return utcNowWithOffset(zone_.offsets().standardOffset);
}

QDateTime TimeZone::daylightUtcNow() const {
    const ZoneOffsets offsets = zone_.offsets();
    return utcNowWithOffset(offsets.standardOffset + offsets.daylightShift);
}

qint16 TimeZone::standardOffset() const {
    return qint16(zone_.offsets().standardOffset);
}

qint16 TimeZone::daylightOffset() const {
    const ZoneOffsets offsets = zone_.offsets();
    return qint16(offsets.standardOffset + offsets.daylightShift);
}

qint32 TimeZone::daylightShift() const {
    return zone_.offsets().daylightShift;
}

std::optional<bool> TimeZone::daylightTimeAt(const QDateTime& utc) const {
    const ZoneOffsets offsets = zone_.offsets();
    const std::optional<qint32> offset = zone_.offsetAt(utc);
    if (offsets.daylightShift == 0 || !offset)
        return std::nullopt;
    if (*offset == offsets.standardOffset + offsets.daylightShift)
        return true;
    if (*offset == offsets.standardOffset)
        return false;
    return std::nullopt;
}
