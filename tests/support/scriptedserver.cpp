#include "support/scriptedserver.h"

#include <QHostAddress>
#include <QRandomGenerator>

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {
    listenOnLowPort();
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

void ScriptedServer::listenOnLowPort() {
    // Ports the system hands out by itself lie above 32767, where the address check gives up.
    for (int tries = 0; tries < 200 && !server_.isListening(); ++tries)
        server_.listen(QHostAddress::LocalHost,
                       quint16(QRandomGenerator::global()->bounded(20000, 32768)));
}
