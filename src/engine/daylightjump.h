#pragma once

#include <QDateTime>

// How far the local clock jumped against real time between two ticks, in whole minutes:
// previous shown time minus present shown time plus the real time that passed, rounded to the
// nearest minute. Negative when the clock moved forward. Exact however far apart the ticks are,
// so a sleep is no jump, while a change of daylight-saving time during a sleep still shows.
qint64 daylightJumpMinutes(const QDateTime& previousShown, const QDateTime& presentShown,
                           qint64 realElapsedMs);
