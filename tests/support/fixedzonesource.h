#pragma once

#include <QDateTime>

#include "timezone/zonesource.h"

// A zone with fixed offsets; offsetAt() answers daylight time while the test says it is in
// force, or for the moments of a daylight period the test gives.
class FixedZoneSource final : public ZoneSource {
public:
    explicit FixedZoneSource(qint32 standardOffset = 0, qint32 daylightShift = 0)
        : info_{standardOffset, daylightShift} {}

    ZoneOffsets offsets() const override { return info_; }
    std::optional<qint32> offsetAt(const QDateTime& utc) const override {
        const bool inPeriod = utc >= daylightFrom_ && utc < daylightUntil_;
        return daylightNow_ || inPeriod ? info_.standardOffset + info_.daylightShift
                                        : info_.standardOffset;
    }

    void setDaylightInForce(bool inForce) { daylightNow_ = inForce; }
    void setDaylightPeriod(const QDateTime& fromUtc, const QDateTime& untilUtc) {
        daylightFrom_ = fromUtc;
        daylightUntil_ = untilUtc;
    }

private:
    ZoneOffsets info_;
    bool daylightNow_ = false;
    QDateTime daylightFrom_;
    QDateTime daylightUntil_;
};
