#pragma once

#include "timezone/zonesource.h"

// A zone with fixed offsets; biasAt() answers daylight or standard time as the test sets it.
class FixedZoneSource final : public ZoneSource {
public:
    explicit FixedZoneSource(qint32 bias = 0, qint32 daylightBias = 0)
        : info_{bias, daylightBias} {}

    TimeZoneInformation GetTimeZoneInformation() const override { return info_; }
    std::optional<qint32> biasAt(const QDateTime&) const override {
        return daylightNow_ ? info_.Bias + info_.DaylightBias : info_.Bias;
    }

    void setInformation(qint32 bias, qint32 daylightBias) { info_ = {bias, daylightBias}; }
    void setDaylightInForce(bool inForce) { daylightNow_ = inForce; }

private:
    TimeZoneInformation info_;
    bool daylightNow_ = false;
};
