#pragma once

#include <QString>

#include "config/settings.h"

// The checks that run when the focus leaves a number field: each returns the field's new text,
// a whole number in plain digits inside the field's limits.

// Attempts: rounded down, then kept within 1 to 99.
QString checkedAttempts(const QString& text);
// Connection wait, maximum reply delay and reply wait: rounded down to a multiple of ten, at
// least 10.
QString checkedMilliseconds(const QString& text);
// Update period: rounded down; below 1 it goes back to the default of 6 hours.
QString checkedUpdatePeriod(const QString& text);

// The shorter checks of shut-down: the three millisecond fields are rounded down to a multiple
// of ten with no lower limit, attempts is checked as on leaving it, the update period is kept.
void applyShutDownChecks(Settings& settings);

// The update period in hours wherever it is used, checked or not: the leading number rounded
// down, and 6 when that is below 1, so no text can start scheduled runs back to back.
double updatePeriodHours(const QString& updatePeriodText);
