#include "app/clocksetterchoice.h"

#include "platform/dryrunclocksetter.h"
#include "platform/systemclocksetter.h"

std::unique_ptr<ClockSetter> chooseClockSetter(bool dryRun) {
    if (dryRun)
        return std::make_unique<DryRunClockSetter>();
    return std::make_unique<SystemClockSetter>();
}
