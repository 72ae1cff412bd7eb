#include "platform/directclocksetter.h"

#include <time.h>
#include <cerrno>
#include <cstring>

namespace {
ClockSetResult refusal(int error) {
    return {false, QString::fromLocal8Bit(std::strerror(error)), error == EPERM};
}
}  // namespace

std::optional<ClockSetResult> DirectClockSetter::setClock(const ClockChange& change) {
    // A missing instant must not become 1970; one before 1970 the clock cannot hold.
    const qint64 ms = change.instantUtc.isValid() ? change.instantUtc.toMSecsSinceEpoch() : -1;
    if (ms < 0)
        return refusal(EINVAL);
    const timespec target{time_t(ms / 1000),
                          long(ms % 1000) * 1000000 + long(change.instantExtraUs) * 1000};
    if (clock_settime(CLOCK_REALTIME, &target) != 0)
        return refusal(errno);
    return ClockSetResult{true, {}};
}
