#pragma once

#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

// A line server on loopback that counts its connections and never answers, unless the test
// gives it something to do with each new client.
class ScriptedServer : public QObject {
    Q_OBJECT
public:
    ScriptedServer() {
        // Ports the system hands out by itself lie above 32767, where the address check gives
        // up: listen on a free one from 1 to 32767 instead.
        for (int tries = 0; tries < 200 && !server_.isListening(); ++tries)
            server_.listen(QHostAddress::LocalHost,
                           quint16(QRandomGenerator::global()->bounded(20000, 32768)));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = server_.nextPendingConnection()) {
                ++connections;
                lastClient = client;
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                if (onConnect_)
                    onConnect_(*client);
            }
        });
    }
    QString portText() const { return QString::number(server_.serverPort()); }

    // Called once for each accepted connection.
    void setOnConnect(std::function<void(QTcpSocket& client)> onConnect) {
        onConnect_ = std::move(onConnect);
    }

    int connections = 0;
    QPointer<QTcpSocket> lastClient;

private:
    QTcpServer server_;
    std::function<void(QTcpSocket&)> onConnect_;
};
