#pragma once

#include <memory>

class ClockSetter;

// The one place that decides how the program sets the system clock.
std::unique_ptr<ClockSetter> chooseClockSetter(bool dryRun);
