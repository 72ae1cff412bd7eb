#include "timeserver.h"

#include <QDateTime>
#include <QTcpSocket>
#include <QTimer>

#include "timereply.h"

namespace {

// Accepting stops when the process runs out of descriptors; try again after this pause.
constexpr std::chrono::milliseconds AcceptRetryDelay{100};

void drop(QTcpSocket* client) {
    client->abort();
    client->deleteLater();
}

}  // namespace

TimeServer::TimeServer(QObject* parent) : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, &TimeServer::acceptPending);
    connect(&server_, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(AcceptRetryDelay, &server_, &QTcpServer::resumeAccepting);
    });
}

bool TimeServer::listen(const QHostAddress& address, quint16 port) {
    // Qt's default queue of 50 unaccepted connections would make a burst of clients wait for
    // the system's retry of their connect, a second or more.
    server_.setListenBacklogSize(MostConnections);
    return server_.listen(address, port);
}

void TimeServer::acceptPending() {
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        if (connections_ >= MostConnections)
            drop(client);
        else
            serve(client);
    }
}

void TimeServer::serve(QTcpSocket* client) {
    // Owned by this object, not by the listening socket, so that no signal of a client reaches
    // a half-destroyed server.
    client->setParent(this);
    ++connections_;
    connect(client, &QObject::destroyed, this, [this] { --connections_; });
    client->setReadBufferSize(MostQueryBytes);

    auto* idle = new QTimer(client);
    idle->setSingleShot(true);
    idle->start(IdleLimit);
    connect(idle, &QTimer::timeout, client, [client] { drop(client); });

    connect(client, &QTcpSocket::readyRead, this, [this, client, idle] {
        idle->start(IdleLimit);
        answer(client);
    });
    // Every end of a connection, a failure included, comes as disconnected; the idle limit
    // covers anything else.
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
}

void TimeServer::answer(QTcpSocket* client) {
    const QByteArray query = client->readAll();
    const QByteArray reply = timeReply(query, QDateTime::currentDateTimeUtc());
    if (reply.isEmpty())
        return;
    // A client that queries without ever reading would pile up replies here.
    if (client->bytesToWrite() + reply.size() > MostUnreadReplyBytes) {
        drop(client);
        return;
    }
    client->write(reply);
    // At once: Qt closes a connection whose client has stopped sending ("printf 1 | nc") as
    // soon as it sees that, and a reply still queued then would be lost.
    client->flush();
}
