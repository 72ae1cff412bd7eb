#pragma once

#include <ctime>

#include "engine/clockwatch.h"

class QSocketNotifier;

// The kernel reports a setting of the realtime clock (and a resume from suspend) by cancelling a
// timerfd armed with TFD_TIMER_CANCEL_ON_SET; the zone's changes come from QTimeZone. Without a
// timerfd (an old kernel, a sandbox) clockChanged() never comes: valid() says so.
class SystemClockWatch final : public ClockWatch {
    Q_OBJECT
public:
    // Armed for the far future of a 64-bit clock, which no date the clock can be set to reaches.
    explicit SystemClockWatch(QObject* parent = nullptr);
    // Armed first for the given instant (Unix seconds); tests take one the clock has passed.
    explicit SystemClockWatch(std::time_t armedFor, QObject* parent = nullptr);
    ~SystemClockWatch() override;

    bool valid() const { return fd_ >= 0; }
    std::optional<QDateTime> nextOffsetChange(const QDateTime& utc) const override;

private:
    bool arm();
    void readCancelled();

    std::time_t armedFor_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
