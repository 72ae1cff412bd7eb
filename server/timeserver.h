#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <chrono>

class QTcpSocket;

// Answers time queries from many clients at once on one thread. Every arrival of bytes on a
// connection is one query; well-formed ones get the present UTC time, others nothing. What a
// client can cost is bounded: a few KiB of input, a little unread output, a place among a
// limited number of connections, and a few minutes of silence.
class TimeServer : public QObject {
    Q_OBJECT
public:
    static constexpr int MostConnections = 1024;
    static constexpr qint64 MostQueryBytes = 4096;
    static constexpr qint64 MostUnreadReplyBytes = 64 * 1024;
    static constexpr std::chrono::minutes IdleLimit{5};

    explicit TimeServer(QObject* parent = nullptr);

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    QHostAddress serverAddress() const { return server_.serverAddress(); }
    quint16 serverPort() const { return server_.serverPort(); }

private:
    void acceptPending();
    void serve(QTcpSocket* client);
    void answer(QTcpSocket* client);

    QTcpServer server_;
    int connections_ = 0;
};
