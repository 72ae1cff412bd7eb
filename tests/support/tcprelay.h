#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

// Stands on the path between clients and a TCP server: joins each connection it accepts to one
// of its own to the server and passes the bytes both ways unchanged, so a TLS session runs
// through it end to end. Counts the connections.
class TcpRelay : public QObject {
    Q_OBJECT
public:
    TcpRelay(const QHostAddress& address, quint16 port, const QHostAddress& serverAddress,
             quint16 serverPort);

    bool isListening() const { return listener_.isListening(); }
    int connections() const { return connections_; }

private:
    void join();

    QTcpServer listener_;
    QHostAddress serverAddress_;
    quint16 serverPort_;
    int connections_ = 0;
};
