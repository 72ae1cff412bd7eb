#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QUdpSocket>
#include <functional>

// An NTP server on port 123 of a loopback address (127.0.0.2 and up, away from chronyd on
// 127.0.0.1), whose answers the test scripts. Each request is recorded and handed to the script,
// which may answer with send() or not at all. Binding port 123 needs root, or a network
// namespace of the test's own (privatenetwork.h).
class ScriptedNtpServer : public QObject {
    Q_OBJECT
public:
    using Script = std::function<void(ScriptedNtpServer& server, const QByteArray& request)>;

    // The fields of a server's answer; the times are Unix nanoseconds.
    struct Answer {
        int leap = 0;
        int stratum = 2;
        QByteArray referenceId = "LOCL";
        qint64 receivedUnixNs = 0;  // T2
        qint64 sentUnixNs = 0;      // T3
    };

    explicit ScriptedNtpServer(const QHostAddress& address, Script script = {});
    // Empty when listening; else why not.
    QString bindError() const { return bindError_; }

    // Sends to whoever sent the latest request.
    void send(const QByteArray& datagram);
    // The port the latest request came from.
    quint16 clientPort() const { return clientPort_; }

    // The datagram a server sends for the answer to a request, echoing its transmit timestamp.
    static QByteArray answer(const QByteArray& request, const Answer& fields);
    // A request's transmit timestamp, which the answer must echo as its origin.
    static quint64 transmitBits(const QByteArray& request);

    QList<QByteArray> requests;

private:
    QUdpSocket socket_;
    QHostAddress client_;
    quint16 clientPort_ = 0;
    QString bindError_;
    Script script_;
};
