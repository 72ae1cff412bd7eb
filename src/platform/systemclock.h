#pragma once

#include "common/clock.h"

// The machine's own clocks.
class SystemClock final : public Clock {
public:
    QDateTime localNow() const override;
    QDateTime utcNow() const override;
    qint64 monotonicMs() const override;
    qint64 boottimeMs() const override;
    qint64 utcNowNs() const override;
    qint64 monotonicNs() const override;
};
