#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>
#include <functional>

// Stands on the path between a client and a UDP server: takes the client's datagrams where the
// client sends them and passes them to the server, and the server's answers back to the client
// that sent last, from the address and port the client asked. A hook may change, replace or
// drop each datagram on its way, and the test may send the client datagrams of its own. Every
// datagram that arrives is recorded as it came.
class UdpRelay : public QObject {
    Q_OBJECT
public:
    enum class Direction { ToServer, ToClient };
    // What to pass on in the datagram's place; an empty one passes nothing on.
    using Hook = std::function<QByteArray(Direction direction, const QByteArray& datagram)>;

    UdpRelay(const QHostAddress& address, quint16 port, const QHostAddress& serverAddress,
             quint16 serverPort);

    bool isListening() const { return clientSide_.state() == QAbstractSocket::BoundState; }
    void setHook(Hook hook) { hook_ = std::move(hook); }
    // A datagram of the test's own to the client last heard from, as if from the server.
    void sendToClient(const QByteArray& datagram);

    QList<QByteArray> requests;  // from the client
    QList<QByteArray> replies;   // from the server

private:
    void passToServer();
    void passToClient();
    QByteArray hooked(Direction direction, const QByteArray& datagram) const;

    QUdpSocket clientSide_;
    QUdpSocket serverSide_;
    QHostAddress serverAddress_;
    quint16 serverPort_;
    QHostAddress clientAddress_;
    quint16 clientPort_ = 0;
    Hook hook_;
};
