#pragma once

#include "common/clock.h"
#include "common/walltime.h"

// A clock the test moves by hand. The wall clock and the UTC instant are set apart, as the test
// knows them from the zone's rules: by default the wall clock shows UTC. advance() moves every
// clock together, as real time does; setLocal() moves only the wall clock, as a change of
// daylight-saving time does.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime local = wallTime(QDate(2026, 12, 6), QTime(12, 0)))
        : local_(local), utc_(toWallTime(local)) {}
    FakeClock(QDateTime local, QDateTime utc) : local_(local), utc_(utc) {}

    QDateTime localNow() const override { return local_; }
    QDateTime utcNow() const override { return utc_; }
    qint64 monotonicMs() const override { return monotonic_; }
    qint64 boottimeMs() const override { return boottime_; }

    void advance(qint64 ms) {
        local_ = local_.addMSecs(ms);
        utc_ = utc_.addMSecs(ms);
        monotonic_ += ms;
        boottime_ += ms;
    }
    void setLocal(const QDateTime& local) { local_ = local; }
    // The wall clock and the instant it shows, as a correction of the clock leaves them.
    void setNow(const QDateTime& local, const QDateTime& utc) {
        local_ = local;
        utc_ = utc;
    }
    // The machine slept: wall and boot time went on, the monotonic clock stood still.
    void sleep(qint64 ms) {
        local_ = local_.addMSecs(ms);
        utc_ = utc_.addMSecs(ms);
        boottime_ += ms;
    }

private:
    QDateTime local_;
    QDateTime utc_;
    qint64 monotonic_ = 1000000;
    qint64 boottime_ = 5000000;
};
