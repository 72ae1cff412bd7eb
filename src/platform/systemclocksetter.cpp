#include "platform/systemclocksetter.h"

#include "platform/directclocksetter.h"
#include "platform/timedatedclocksetter.h"

SystemClockSetter::SystemClockSetter()
    : SystemClockSetter(std::make_unique<DirectClockSetter>(),
                        std::make_unique<TimedatedClockSetter>()) {}

SystemClockSetter::SystemClockSetter(std::unique_ptr<ClockSetter> direct,
                                     std::unique_ptr<ClockSetter> timeService)
    : direct_(std::move(direct)), timeService_(std::move(timeService)) {
    connect(direct_.get(), &ClockSetter::finished, this, &ClockSetter::finished);
    connect(timeService_.get(), &ClockSetter::finished, this, &ClockSetter::finished);
}

std::optional<ClockSetResult> SystemClockSetter::setClock(const ClockChange& change) {
    const std::optional<ClockSetResult> direct = direct_->setClock(change);
    // Only a lack of the right to set the clock sends the correction on; any other failure would
    // fail the same way elsewhere.
    if (!direct || !direct->notPermitted)
        return direct;
    return timeService_->setClock(change);
}
