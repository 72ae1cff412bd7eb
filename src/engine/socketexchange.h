#pragma once

#include <QByteArray>
#include <QString>

#include "engine/timeexchange.h"

class ActivityLog;
class Clock;
class TimeSocket;
struct Settings;

// What every exchange over one TimeSocket shares: the connect phase, timed from its request and
// logged with the exchange's own line when the socket connects, and the time of the latest query.
class SocketExchange : public TimeExchange {
    Q_OBJECT
public:
    // The parts each exchange is built with.
    struct Parts {
        TimeSocket& socket;
        const Clock& clock;
        ActivityLog& log;
        const Settings& settings;  // MaxPing, as its field holds it
    };

    bool begin(const QString& host, double port) override;
    void close() override;

protected:
    // readyLine: the line of a connect phase that ended, with %1 for its milliseconds; empty for
    // an exchange that logs its own.
    SocketExchange(const Parts& parts, QString readyLine, QObject* parent);

    // Names the run's server and times a connect phase from now. False when the host and port
    // cannot be connected to.
    bool startConnectPhase(const QString& host, double port);
    // Has the socket connect to host:port; ready() follows when it has.
    bool connectSocket(const QString& host, double port);
    // Sends a query; from when it went out the reply's delay counts.
    bool send(const QByteArray& query);
    // Since the connect phase began, or the latest query went out.
    qint64 msSinceMark() const;
    // A reply delay, or round trip, below MaxPing.
    bool inTime(qint64 ms) const;
    // host:port as asked.
    const QString& server() const { return server_; }

    Parts parts_;

private:
    void onConnected();

    QString readyLine_;
    QString server_;
    bool connecting_ = false;
    qint64 markMs_ = 0;  // monotonic milliseconds of the connect request or the latest query
};
