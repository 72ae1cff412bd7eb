#include "engine/ntp/ntptimestamp.h"

#include <QtNumeric>
#include <optional>

namespace {
constexpr qint64 EraSeconds = qint64(1) << 32;

// Nanoseconds of a 32-bit fraction of a second, rounded to the nearest (up to a full second).
qint64 fractionNs(quint32 fraction) {
    return qint64((quint64(fraction) * NtpTimestamp::NsPerSecond + (quint64(1) << 31)) >> 32);
}

struct SplitInstant {
    qint64 seconds;  // floor of the instant in seconds
    qint64 ns;       // 0 to 999999999 past it
};

SplitInstant split(qint64 unixNs) {
    SplitInstant result{unixNs / NtpTimestamp::NsPerSecond, unixNs % NtpTimestamp::NsPerSecond};
    if (result.ns < 0) {
        --result.seconds;
        result.ns += NtpTimestamp::NsPerSecond;
    }
    return result;
}

// seconds * 10^9 + ns, or nothing where qint64 cannot hold it.
std::optional<qint64> joined(qint64 seconds, qint64 ns) {
    qint64 result = 0;
    if (qMulOverflow(seconds, NtpTimestamp::NsPerSecond, &result) ||
        qAddOverflow(result, ns, &result))
        return std::nullopt;
    return result;
}
}  // namespace

NtpTimestamp NtpTimestamp::fromUnixNs(qint64 unixNs) {
    const SplitInstant instant = split(unixNs);
    const quint64 fraction =
        ((quint64(instant.ns) << 32) + NsPerSecond / 2) / quint64(NsPerSecond);  // below 2^32
    // The seconds wrap modulo 2^32 by the unsigned shift: that is the era being dropped.
    return NtpTimestamp((quint64(instant.seconds + UnixEpochSeconds) << 32) + fraction);
}

qint64 NtpTimestamp::toUnixNs(qint64 referenceUnixNs) const {
    const qint64 referenceSeconds = split(referenceUnixNs).seconds + UnixEpochSeconds;
    // How far this timestamp's seconds lie from the reference's within one era, -2^31 to 2^31-1.
    const auto ahead = qint32(quint32(bits_ >> 32) - quint32(quint64(referenceSeconds)));
    const qint64 unixSeconds = referenceSeconds + ahead - UnixEpochSeconds;
    const qint64 ns = fractionNs(quint32(bits_));
    if (const std::optional<qint64> nearest = joined(unixSeconds, ns))
        return *nearest;
    return *joined(unixSeconds < 0 ? unixSeconds + EraSeconds : unixSeconds - EraSeconds, ns);
}

qint64 NtpTimestamp::nsSince(NtpTimestamp earlier) const {
    const auto difference = qint64(bits_ - earlier.bits_);
    // Whole seconds rounded down and a fraction that is never negative, so a negative difference
    // rounds the same way as a positive one.
    return (difference >> 32) * NsPerSecond + fractionNs(quint32(difference));
}
