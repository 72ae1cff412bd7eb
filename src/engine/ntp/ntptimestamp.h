#pragma once

#include <QtGlobal>

// An NTP timestamp: seconds since 1900-01-01 00:00:00 UTC as 32.32 fixed point. The 32-bit
// seconds wrap every 2^32 s (136 years; the first wrap is 2036-02-07 06:28:16 UTC), so a
// timestamp names an instant only together with a nearby one that tells its era. Instants on
// this side are Unix nanoseconds (since 1970-01-01 00:00:00 UTC), the finest the system clock
// keeps; a fraction (units of 2^-32 s) rounds to the nearest nanosecond and back.
class NtpTimestamp {
public:
    static constexpr qint64 UnixEpochSeconds = 2208988800;  // 1900-01-01 to 1970-01-01
    static constexpr qint64 NsPerSecond = 1000000000;

    constexpr NtpTimestamp() = default;
    constexpr explicit NtpTimestamp(quint64 bits) : bits_(bits) {}

    // The timestamp of an instant (in whichever era the instant falls).
    static NtpTimestamp fromUnixNs(qint64 unixNs);

    constexpr quint64 bits() const { return bits_; }

    // The instant this timestamp names in the era that puts it nearest to referenceUnixNs (the
    // local clock): within 2^31 s of it, so a clock wrong by less than 68 years reads the right
    // era on both sides of 2036. Where that instant lies beyond what qint64 nanoseconds hold
    // (before 1678 or after 2261) the neighbouring era is taken instead.
    qint64 toUnixNs(qint64 referenceUnixNs) const;

    // This timestamp minus earlier, in nanoseconds, for two instants less than 68 years apart,
    // whatever their eras (the signed 64-bit difference of the fixed-point values, as NTP
    // computes it). Never overflows: the result lies within +-2^31 s.
    qint64 nsSince(NtpTimestamp earlier) const;

    friend constexpr bool operator==(NtpTimestamp, NtpTimestamp) = default;

private:
    quint64 bits_ = 0;
};
