#include "support/scriptedserver.h"

#include <QHostAddress>
#include <QRandomGenerator>

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {
    listenOnLowPort(server_);
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

QByteArray ScriptedServer::reply(const QByteArray& number, const QByteArray& time) {
    return number + ':' + time;
}

bool ScriptedServer::listenOnLowPort(QTcpServer& server) {
    // Ports the system hands out by itself lie above 32767, where the address check gives up.
    for (int tries = 0; tries < 200; ++tries) {
        const auto port = quint16(QRandomGenerator::global()->bounded(20000, 32768));
        if (server.listen(QHostAddress::LocalHost, port))
            return true;
    }
    return false;
}
