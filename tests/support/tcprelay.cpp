#include "support/tcprelay.h"

#include <QTcpSocket>

TcpRelay::TcpRelay(const QHostAddress& address, quint16 port, const QHostAddress& serverAddress,
                   quint16 serverPort)
    : serverAddress_(serverAddress), serverPort_(serverPort) {
    listener_.listen(address, port);
    connect(&listener_, &QTcpServer::newConnection, this, &TcpRelay::join);
}

void TcpRelay::join() {
    while (QTcpSocket* client = listener_.nextPendingConnection()) {
        ++connections_;
        auto* server = new QTcpSocket(client);
        const auto pass = [](QTcpSocket* from, QTcpSocket* to) {
            if (to->state() == QAbstractSocket::ConnectedState)
                to->write(from->readAll());
        };
        // The client's first bytes wait in its socket until the server side is up.
        connect(server, &QTcpSocket::connected, client, [=] { pass(client, server); });
        connect(client, &QTcpSocket::readyRead, server, [=] { pass(client, server); });
        connect(server, &QTcpSocket::readyRead, client, [=] { pass(server, client); });
        // Either end closing closes the other, once what it sent has gone on.
        connect(server, &QTcpSocket::disconnected, client, [=] {
            pass(server, client);
            client->disconnectFromHost();
        });
        connect(server, &QTcpSocket::errorOccurred, client, [=] { client->disconnectFromHost(); });
        connect(client, &QTcpSocket::disconnected, client, [=] {
            server->disconnectFromHost();
            client->deleteLater();
        });
        server->connectToHost(serverAddress_, serverPort_);
    }
}
