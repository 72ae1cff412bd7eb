#pragma once

#include <QDateTime>

// The clocks the program reads. Injected everywhere so that tests control time.
class Clock {
public:
    virtual ~Clock() = default;
    // The present local wall time (see walltime.h), to the millisecond.
    virtual QDateTime localNow() const = 0;
    // The present instant in UTC, to the millisecond: steps of the clock are worked out in UTC,
    // where no daylight-saving change can shift them.
    virtual QDateTime utcNow() const = 0;
    // Milliseconds of a clock that never jumps: spans between two moments.
    virtual qint64 monotonicMs() const = 0;
    // Like monotonicMs(), but it goes on counting while the system sleeps.
    virtual qint64 boottimeMs() const = 0;
    // The same two clocks in nanoseconds, for NTP's timestamps. A clock that keeps only
    // milliseconds reads them whole.
    virtual qint64 utcNowNs() const { return utcNow().toMSecsSinceEpoch() * 1000000; }
    virtual qint64 monotonicNs() const { return monotonicMs() * 1000000; }
};
