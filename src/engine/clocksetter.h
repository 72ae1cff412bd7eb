#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <optional>

// One correction of the system clock, described both ways so that each back end can use the
// form it needs: the instant to set and the step from the present one.
struct ClockChange {
    QDateTime instantUtc;   // the UTC instant the clock is to hold, to the millisecond
    qint64 correctionUs{};  // instantUtc minus the present UTC instant, in microseconds
    int instantExtraUs{};   // microseconds past instantUtc's millisecond (0-999), from NTP
};

struct ClockSetResult {
    bool ok{};
    QString reason;       // why the clock was not set, for the log; empty on success
    bool notPermitted{};  // refused for lack of the right to set the clock
};

// Sets the system clock. Back ends: the direct system call, the time service, the dry run, and
// test doubles. A back end that must wait for an answer (the time service, while polkit asks the
// user) answers later with finished(), so the event loop runs on meanwhile. It has at most one
// such request out at a time.
class ClockSetter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // The result when the request was settled at once; nothing when it will come by finished().
    virtual std::optional<ClockSetResult> setClock(const ClockChange& change) = 0;
    // A dry run reports what it would have done and touches nothing.
    virtual bool isDryRun() const { return false; }

Q_SIGNALS:
    // The answer to the request that setClock() left open.
    void finished(const ClockSetResult& result);
};
