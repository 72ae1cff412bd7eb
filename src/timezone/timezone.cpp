#include "timezone/timezone.h"

#include "common/walltime.h"
#include "common/clock.h"

QDateTime TimeZone::utcNowWithBias(qint32 bias) const {
    return wholeSecond(clock_.localNow()).addSecs(qint64(bias) * 60);
}

QDateTime TimeZone::GetUTCStandardTime() const {
    return utcNowWithBias(zone_.GetTimeZoneInformation().Bias);
}

QDateTime TimeZone::GetUTCDaylightTime() const {
    const TimeZoneInformation info = zone_.GetTimeZoneInformation();
    return utcNowWithBias(info.Bias + info.DaylightBias);
}

qint16 TimeZone::GetStandardBias() const {
    return qint16(zone_.GetTimeZoneInformation().Bias);
}

qint16 TimeZone::GetDaylightTotalBias() const {
    const TimeZoneInformation info = zone_.GetTimeZoneInformation();
    return qint16(info.Bias + info.DaylightBias);
}

qint32 TimeZone::GetDaylightBias() const {
    return zone_.GetTimeZoneInformation().DaylightBias;
}

std::optional<bool> TimeZone::daylightTimeAt(const QDateTime& utc) const {
    const TimeZoneInformation info = zone_.GetTimeZoneInformation();
    const std::optional<qint32> bias = zone_.biasAt(utc);
    if (info.DaylightBias == 0 || !bias)
        return std::nullopt;
    if (*bias == info.Bias + info.DaylightBias)
        return true;
    if (*bias == info.Bias)
        return false;
    return std::nullopt;
}
