#pragma once

#include <QDateTime>
#include <optional>

// The two offsets of the local zone, in minutes, with UTC = local time + offset.
struct ZoneOffsets {
    qint32 standardOffset{};  // standard time
    qint32 daylightShift{};   // added to standardOffset while daylight-saving time is in force;
                              // never positive
};

// Where the local zone's description comes from. Asked afresh at every call.
class ZoneSource {
public:
    virtual ~ZoneSource() = default;
    virtual ZoneOffsets offsets() const = 0;
    // The zone's offset (UTC = local + offset, minutes) in force at a UTC moment, if known.
    virtual std::optional<qint32> offsetAt(const QDateTime& utc) const = 0;
};
