#include "support/udprelay.h"

#include <QNetworkDatagram>

UdpRelay::UdpRelay(const QHostAddress& address, quint16 port, const QHostAddress& serverAddress,
                   quint16 serverPort)
    : serverAddress_(serverAddress), serverPort_(serverPort) {
    clientSide_.bind(address, port);
    serverSide_.bind(QHostAddress(QHostAddress::LocalHost));
    connect(&clientSide_, &QUdpSocket::readyRead, this, &UdpRelay::passToServer);
    connect(&serverSide_, &QUdpSocket::readyRead, this, &UdpRelay::passToClient);
}

QByteArray UdpRelay::hooked(Direction direction, const QByteArray& datagram) const {
    return hook_ ? hook_(direction, datagram) : datagram;
}

void UdpRelay::passToServer() {
    while (clientSide_.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = clientSide_.receiveDatagram();
        clientAddress_ = datagram.senderAddress();
        clientPort_ = quint16(datagram.senderPort());
        requests.append(datagram.data());
        if (const QByteArray passed = hooked(Direction::ToServer, datagram.data());
            !passed.isEmpty())
            serverSide_.writeDatagram(passed, serverAddress_, serverPort_);
    }
}

void UdpRelay::passToClient() {
    while (serverSide_.hasPendingDatagrams()) {
        const QByteArray datagram = serverSide_.receiveDatagram().data();
        replies.append(datagram);
        if (const QByteArray passed = hooked(Direction::ToClient, datagram); !passed.isEmpty())
            sendToClient(passed);
    }
}

void UdpRelay::sendToClient(const QByteArray& datagram) {
    if (clientPort_ != 0)
        clientSide_.writeDatagram(datagram, clientAddress_, clientPort_);
}
