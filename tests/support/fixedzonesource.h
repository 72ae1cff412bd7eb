#pragma once

#include "timezone/zonesource.h"

// A zone with fixed offsets; offsetAt() answers daylight or standard time as the test sets it.
class FixedZoneSource final : public ZoneSource {
public:
    explicit FixedZoneSource(qint32 standardOffset = 0, qint32 daylightShift = 0)
        : info_{standardOffset, daylightShift} {}

    ZoneOffsets offsets() const override { return info_; }
    std::optional<qint32> offsetAt(const QDateTime&) const override {
        return daylightNow_ ? info_.standardOffset + info_.daylightShift : info_.standardOffset;
    }

    void setOffsets(qint32 standardOffset, qint32 daylightShift) {
        info_ = {standardOffset, daylightShift};
    }
    void setDaylightInForce(bool inForce) { daylightNow_ = inForce; }

private:
    ZoneOffsets info_;
    bool daylightNow_ = false;
};
