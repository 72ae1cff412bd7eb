#pragma once

#include <QDateTime>
#include <QObject>
#include <optional>

// What can change the local clock's reading while the program sleeps between ticks: anyone
// setting the system clock, and the zone changing its UTC offset. With it, a ticker need not wake
// each second to notice either.
class ClockWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The first UTC moment after utc at which the zone's offset changes; none when the zone has no
    // further change.
    virtual std::optional<QDateTime> nextOffsetChange(const QDateTime& utc) const = 0;

Q_SIGNALS:
    // The system clock was set (by this program or any other), or the system resumed from sleep.
    void clockChanged();
};
