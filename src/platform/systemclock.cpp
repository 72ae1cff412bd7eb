#include "platform/systemclock.h"

#include <time.h>

#include "common/walltime.h"

namespace {
qint64 readNs(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

qint64 readMs(clockid_t id) {
    return readNs(id) / 1000000;
}
}  // namespace

QDateTime SystemClock::localNow() const {
    return toWallTime(QDateTime::currentDateTime());
}

QDateTime SystemClock::utcNow() const {
    return QDateTime::currentDateTimeUtc();
}

qint64 SystemClock::monotonicMs() const {
    return readMs(CLOCK_MONOTONIC);
}

qint64 SystemClock::boottimeMs() const {
    return readMs(CLOCK_BOOTTIME);
}

qint64 SystemClock::utcNowNs() const {
    return readNs(CLOCK_REALTIME);
}

qint64 SystemClock::monotonicNs() const {
    return readNs(CLOCK_MONOTONIC);
}
