#include "platform/directclocksetter.h"

#include <time.h>
#include <cerrno>
#include <cstring>

ClockSetResult DirectClockSetter::setClock(const ClockChange& change) {
    // Apply the step to the clock as it stands now, so the moments spent since the correction
    // was computed are not lost.
    timespec now{};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0)
        return {false, QString::fromLocal8Bit(std::strerror(errno))};
    const qint64 targetNs =
        qint64(now.tv_sec) * 1000000000 + now.tv_nsec + change.correctionUs * 1000;
    const timespec target{time_t(targetNs / 1000000000), long(targetNs % 1000000000)};
    if (clock_settime(CLOCK_REALTIME, &target) != 0)
        return {false, QString::fromLocal8Bit(std::strerror(errno)), errno == EPERM};
    return {true, {}};
}
