#pragma once

#include <QDateTime>
#include <optional>

// A correction of the clock as the log and a history show it: the clock before, and the time it
// is set to, both local and to the second; for a measured correction also its exact size.
struct ClockSetting {
    QDateTime oldLocal;
    QDateTime newLocal;
    std::optional<qint64> measuredOffsetNs = std::nullopt;
};
