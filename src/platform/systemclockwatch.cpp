#include "platform/systemclockwatch.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimeZone>
#include <cerrno>
#include <cstdint>
#include <limits>

namespace {
// The kernel holds it as its own farthest instant (the year 2262): no clock ever gets there.
constexpr std::time_t FarFuture = std::numeric_limits<std::time_t>::max();
}  // namespace

SystemClockWatch::SystemClockWatch(QObject* parent) : SystemClockWatch(FarFuture, parent) {}

SystemClockWatch::SystemClockWatch(std::time_t armedFor, QObject* parent)
    : ClockWatch(parent), armedFor_(armedFor) {
    fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0)
        return;
    if (!arm()) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    notifier_ = new QSocketNotifier(qintptr(fd_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SystemClockWatch::readCancelled);
}

SystemClockWatch::~SystemClockWatch() {
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
}

// An absolute expiry that never comes: the timer exists only to be cancelled by a clock change.
bool SystemClockWatch::arm() {
    itimerspec never{};
    never.it_value.tv_sec = armedFor_;
    return timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr) == 0;
}

void SystemClockWatch::readCancelled() {
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(fd_, &expirations, sizeof expirations);
    if (got < 0 && errno != ECANCELED)
        return;  // nothing to read after all
    // Cancelled by a setting of the clock, or expired: the clock has been set past the armed
    // instant. Armed for that instant again, the timer would expire at once, for ever; the far
    // future is never reached. A cancelled timer stays readable until it is armed again.
    armedFor_ = FarFuture;
    arm();
    Q_EMIT clockChanged();
}

std::optional<QDateTime> SystemClockWatch::nextOffsetChange(const QDateTime& utc) const {
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid() || !zone.hasTransitions())
        return std::nullopt;
    const QTimeZone::OffsetData next = zone.nextTransition(utc);
    if (!next.atUtc.isValid())
        return std::nullopt;
    return next.atUtc;
}
