#pragma once

#include "common/walltime.h"
#include "platform/clock.h"

// A clock the test moves by hand. advance() moves every clock together, as real time does;
// setLocal() moves only the wall clock, as a change of daylight-saving time or a correction does.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime local = wallTime(QDate(2026, 12, 6), QTime(12, 0)))
        : local_(local) {}

    QDateTime localNow() const override { return local_; }
    qint64 monotonicMs() const override { return monotonic_; }
    qint64 boottimeMs() const override { return boottime_; }

    void advance(qint64 ms) {
        local_ = local_.addMSecs(ms);
        monotonic_ += ms;
        boottime_ += ms;
    }
    void setLocal(const QDateTime& local) { local_ = local; }
    // The machine slept: wall and boot time went on, the monotonic clock stood still.
    void sleep(qint64 ms) {
        local_ = local_.addMSecs(ms);
        boottime_ += ms;
    }

private:
    QDateTime local_;
    qint64 monotonic_ = 1000000;
    qint64 boottime_ = 5000000;
};
