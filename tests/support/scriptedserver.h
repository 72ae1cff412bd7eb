#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

// A time server on loopback whose answers the test scripts. Each arrival from a client is
// handed to the script together with the client's socket; the script may write, close or stay
// silent. Every arrival is recorded.
class ScriptedServer : public QObject {
    Q_OBJECT
public:
    using Script = std::function<void(QTcpSocket& client, const QByteArray& query)>;

    explicit ScriptedServer(Script script = {}) : script_(std::move(script)) {
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
                connect(client, &QTcpSocket::readyRead, this, [this, client] {
                    const QByteArray query = client->readAll();
                    queries.append(query);
                    if (script_)
                        script_(*client, query);
                });
                if (onConnect_)
                    onConnect_(*client);
            }
        });
    }
    quint16 port() const { return server_.serverPort(); }
    QString portText() const { return QString::number(port()); }

    void setScript(Script script) { script_ = std::move(script); }
    // Called once for each accepted connection.
    void setOnConnect(std::function<void(QTcpSocket& client)> onConnect) {
        onConnect_ = std::move(onConnect);
    }

    QList<QByteArray> queries;
    int connections = 0;
    QPointer<QTcpSocket> lastClient;

private:
    QTcpServer server_;
    Script script_;
    std::function<void(QTcpSocket&)> onConnect_;
};
