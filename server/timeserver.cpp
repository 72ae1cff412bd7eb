#include "timeserver.h"

#include <QDateTime>
#include <QTcpSocket>

#include "timereply.h"

namespace {

// Accepting stops when the process runs out of descriptors; try again after this pause.
constexpr std::chrono::milliseconds AcceptRetryDelay{100};
constexpr std::chrono::seconds IdleCheckInterval{1};

void drop(QTcpSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

// An IPv4 client reaching a server on "::" comes as an IPv4-mapped address: the same client.
QString clientAddress(const QHostAddress& peer) {
    bool isIpv4 = false;
    const quint32 ipv4 = peer.toIPv4Address(&isIpv4);
    return isIpv4 ? QHostAddress(ipv4).toString() : peer.toString();
}

}  // namespace

TimeServer::TimeServer(std::function<SteadyClock::time_point()> now, QObject* parent)
    : QObject(parent), now_(std::move(now)) {
    connect(&server_, &QTcpServer::newConnection, this, &TimeServer::acceptPending);
    connect(&server_, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(AcceptRetryDelay, &server_, &QTcpServer::resumeAccepting);
    });
    connect(&idleCheck_, &QTimer::timeout, this, &TimeServer::closeIdleConnections);
    idleCheck_.start(IdleCheckInterval);
}

bool TimeServer::listen(const QHostAddress& address, quint16 port) {
    // Qt's default queue of 50 unaccepted connections would make a burst of clients wait for
    // the system's retry of their connect, a second or more.
    server_.setListenBacklogSize(MostConnections);
    return server_.listen(address, port);
}

void TimeServer::acceptPending() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (clients_.size() >= MostConnections ||
            connectionsPerAddress_.value(clientAddress(socket->peerAddress())) >=
                MostConnectionsPerAddress)
            drop(socket);
        else
            serve(socket);
    }
}

void TimeServer::serve(QTcpSocket* socket) {
    // Owned by this object, not by the listening socket, so that no signal of a client reaches
    // a half-destroyed server.
    socket->setParent(this);
    const QString address = clientAddress(socket->peerAddress());
    clients_.insert(socket, {address, now_()});
    ++connectionsPerAddress_[address];
    connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    socket->setReadBufferSize(MostQueryBytes);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
    // Every end of a connection, a failure included, comes as disconnected; the idle limit
    // covers anything else.
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

// The socket is being destroyed: only its address is used.
void TimeServer::forget(QTcpSocket* socket) {
    const QString address = clients_.take(socket).address;
    if (--connectionsPerAddress_[address] <= 0)
        connectionsPerAddress_.remove(address);
}

void TimeServer::closeIdleConnections() {
    const SteadyClock::time_point now = now_();
    for (auto client = clients_.cbegin(); client != clients_.cend(); ++client) {
        if (now - client->lastQuery >= IdleLimit)
            drop(client.key());  // forgotten once it is destroyed
    }
}

void TimeServer::answer(QTcpSocket* socket) {
    const QByteArray query = socket->readAll();
    const QByteArray reply = timeReply(query, QDateTime::currentDateTimeUtc());
    if (reply.isEmpty())
        return;
    // A client that queries without ever reading would pile up replies here.
    if (socket->bytesToWrite() + reply.size() > MostUnreadReplyBytes) {
        drop(socket);
        return;
    }
    clients_[socket].lastQuery = now_();
    socket->write(reply);
    // At once: Qt closes a connection whose client has stopped sending ("printf 1 | nc") as
    // soon as it sees that, and a reply still queued then would be lost.
    socket->flush();
}
