#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <algorithm>

#include "engine/timesample.h"

// The conversation with one time server in one protocol, as the update engine drives it: the
// engine walks the list, counts the attempts, keeps the waits and sets the clock; the exchange
// connects, sends each attempt's query, judges what comes back and logs its judgement. An
// exchange that is closed, or was never begun, emits nothing.
class TimeExchange : public QObject {
    Q_OBJECT
public:
    // Whether a server that was given up may be asked again before the walk down the list ends.
    enum class Shun { No, ForTheWalk };

    using QObject::QObject;

    virtual bool servesPort(double port) const = 0;
    // Starts the connect phase in the background; ready() ends it. False when it failed at once.
    virtual bool begin(const QString& host, double port) = 0;
    // Sends the query of an attempt (counted from 1). False when nothing went out: the waits run
    // on as they were, so a later tick asks again.
    virtual bool query(int attempt) = 0;
    // Ends the conversation, or the attempt to begin one.
    virtual void close() = 0;

Q_SIGNALS:
    // The connect phase is over (its line logged): the next query may go out.
    void ready();
    // Back in a connect phase within the run (a new key exchange): the connect wait bounds it
    // afresh, and ready() ends it with the next attempt.
    void connecting();
    // The reply to the latest attempt was accepted (its judgement logged).
    void sampleTaken(const TimeSample& sample);
    // The reply to the latest attempt was rejected (and why logged): the next attempt follows.
    void queryAgain();
    // A reply that changes nothing: erroneous, or the answer to an earlier attempt.
    void replyIgnored();
    // The server is to be given up, the run ending with reason.
    void gaveUp(const QString& reason, TimeExchange::Shun shun);
};

// The first exchange of the table that serves the port; none when none does.
inline TimeExchange* exchangeServing(const QList<TimeExchange*>& table, double port) {
    const auto found = std::find_if(table.begin(), table.end(), [port](const TimeExchange* each) {
        return each->servesPort(port);
    });
    return found == table.end() ? nullptr : *found;
}
