#include "platform/systemzonesource.h"

#include <QTimeZone>
#include <algorithm>

#include "common/clock.h"

ZoneOffsets SystemZoneSource::offsets() const {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid())
        return {};
    const int year = clock_.localNow().date().year();
    const QDateTime start(QDate(year, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime end(QDate(year + 1, 1, 1), QTime(0, 0), Qt::UTC);
    int lowest = zone.offsetFromUtc(start);
    int highest = lowest;
    for (const QTimeZone::OffsetData& change : zone.transitions(start, end)) {
        lowest = std::min(lowest, change.offsetFromUtc);
        highest = std::max(highest, change.offsetFromUtc);
    }
    return {qint32(-lowest / 60), qint32(-(highest - lowest) / 60)};
}

std::optional<qint32> SystemZoneSource::offsetAt(const QDateTime& utc) const {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid())
        return std::nullopt;
    return qint32(-zone.offsetFromUtc(utc) / 60);
}
