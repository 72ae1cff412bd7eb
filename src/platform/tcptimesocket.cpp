#include "platform/tcptimesocket.h"

TcpTimeSocket::TcpTimeSocket(QObject* parent) : TimeSocket(parent) {
    // Bounded, so a server that floods us cannot grow our memory.
    socket_.setReadBufferSize(64 * 1024);
    connect(&socket_, &QTcpSocket::connected, this, &TimeSocket::connected);
    connect(&socket_, &QTcpSocket::readyRead, this, &TcpTimeSocket::takeArrival);
    connect(&socket_, &QTcpSocket::disconnected, this, &TimeSocket::connectionLost);
}

bool TcpTimeSocket::connectTo(const QString& host, double port) {
    close();
    const std::optional<quint16> wholePort = connectablePort(host, port);
    if (!wholePort)
        return false;
    socket_.connectToHost(host, *wholePort);
    return true;
}

bool TcpTimeSocket::send(const QByteArray& data) {
    if (socket_.state() != QAbstractSocket::ConnectedState)
        return false;
    return socket_.write(data) == data.size();
}

void TcpTimeSocket::close() {
    // Our own close is no lost connection.
    const QSignalBlocker quiet(socket_);
    socket_.abort();
}

void TcpTimeSocket::takeArrival() {
    const QByteArray data = socket_.read(MaxReplyBytes);
    socket_.skip(socket_.bytesAvailable());
    if (!data.isEmpty())
        Q_EMIT dataArrived(data);
}
