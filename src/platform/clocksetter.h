#pragma once

#include <QDateTime>
#include <QString>

// One correction of the system clock, described both ways so that each back end can use the
// form it needs: the wall time to show (to the millisecond) and the relative step.
struct ClockChange {
    QDateTime newLocal;     // wall time the local clock is to show at this instant
    qint64 correctionUs{};  // newLocal minus the present local instant, in microseconds
};

struct ClockSetResult {
    bool ok{};
    QString reason;       // why the clock was not set, for the log; empty on success
    bool notPermitted{};  // refused for lack of the right to set the clock
};

// Sets the system clock. Back ends: the direct system call, the dry run, and test doubles.
class ClockSetter {
public:
    virtual ~ClockSetter() = default;
    virtual ClockSetResult setClock(const ClockChange& change) = 0;
    // A dry run reports what it would have done and touches nothing.
    virtual bool isDryRun() const { return false; }
};
