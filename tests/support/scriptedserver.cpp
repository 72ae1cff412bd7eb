#include "support/scriptedserver.h"

#include <QHostAddress>

ScriptedServer::ScriptedServer(Script script) : script_(std::move(script)) {
    server_.listen(QHostAddress::LocalHost, 0);
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
