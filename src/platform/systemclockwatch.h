#pragma once

#include "engine/clockwatch.h"

class QSocketNotifier;

// The kernel reports a setting of the realtime clock (and a resume from suspend) by cancelling a
// timerfd armed with TFD_TIMER_CANCEL_ON_SET; the zone's changes come from QTimeZone. Without a
// timerfd (an old kernel, a sandbox) clockChanged() never comes: valid() says so.
class SystemClockWatch final : public ClockWatch {
    Q_OBJECT
public:
    explicit SystemClockWatch(QObject* parent = nullptr);
    ~SystemClockWatch() override;

    bool valid() const { return fd_ >= 0; }
    std::optional<QDateTime> nextOffsetChange(const QDateTime& utc) const override;

private:
    bool arm();
    void readCancelled();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
