#include "platform/systemclock.h"

#include <time.h>

#include "common/walltime.h"

namespace {
qint64 readMs(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
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
