#include "timezone/timezone.h"

QDateTime TimeZone::utcOf(const QDateTime& local, const ZoneOffsets& offsets, bool daylight) {
    const qint32 offset = offsets.standardOffset + (daylight ? offsets.daylightShift : 0);
    return local.addSecs(qint64(offset) * 60);
}

qint16 TimeZone::standardOffset() const {
    return qint16(zone_.offsets().standardOffset);
}

qint16 TimeZone::daylightOffset() const {
    const ZoneOffsets offsets = zone_.offsets();
    return qint16(offsets.standardOffset + offsets.daylightShift);
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
