#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <chrono>
#include <functional>

class QTcpSocket;

// Answers time queries from many clients at once on one thread. Every arrival of bytes on a
// connection is one query; well-formed ones get the present UTC time, others nothing. What a
// client can cost is bounded: a few KiB of input, a little unread output, a place among a
// limited number of connections, of which one client address holds only a few, and half a
// minute without a well-formed query.
class TimeServer : public QObject {
    Q_OBJECT
public:
    using SteadyClock = std::chrono::steady_clock;

    static constexpr int MostConnections = 1024;
    static constexpr int MostConnectionsPerAddress = 64;
    static constexpr qint64 MostQueryBytes = 4096;
    static constexpr qint64 MostUnreadReplyBytes = 64 * 1024;
    static constexpr std::chrono::seconds IdleLimit{30};

    // The clock tells how long connections have been idle.
    explicit TimeServer(std::function<SteadyClock::time_point()> now = SteadyClock::now,
                        QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    QHostAddress serverAddress() const { return server_.serverAddress(); }
    quint16 serverPort() const { return server_.serverPort(); }

    // Closes every connection that has gone IdleLimit without a well-formed query (a new one
    // counts from its start). Runs every second by itself.
    void closeIdleConnections();

private:
    struct Client {
        QString address;
        SteadyClock::time_point lastQuery;
    };

    void acceptPending();
    void serve(QTcpSocket* socket);
    void forget(QTcpSocket* socket);
    void answer(QTcpSocket* socket);

    std::function<SteadyClock::time_point()> now_;
    QTcpServer server_;
    QTimer idleCheck_;
    QHash<QTcpSocket*, Client> clients_;
    QHash<QString, int> connectionsPerAddress_;
};
