#pragma once

#include <QDateTime>

// A local date and time "in no particular zone": the program does calendar arithmetic on what
// the local clock shows. Marked as UTC so that adding hours never meets a daylight-saving
// gap or overlap of the machine's zone.
inline QDateTime wallTime(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

inline QDateTime toWallTime(const QDateTime& any) {
    return QDateTime(any.date(), any.time(), Qt::UTC);
}

// Cuts a wall time to the whole second, as the local clock is shown and compared.
inline QDateTime wholeSecond(const QDateTime& wall) {
    const QTime t = wall.time();
    return wallTime(wall.date(), QTime(t.hour(), t.minute(), t.second()));
}
