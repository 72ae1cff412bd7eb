#include "engine/socketexchange.h"

#include "common/clock.h"
#include "common/leadingnumber.h"
#include "config/settings.h"
#include "engine/timesocket.h"
#include "log/activitylog.h"

SocketExchange::SocketExchange(const Parts& parts, QString readyLine, QObject* parent)
    : TimeExchange(parent), parts_(parts), readyLine_(std::move(readyLine)) {
    connect(&parts_.socket, &TimeSocket::connected, this, &SocketExchange::onConnected);
}

bool SocketExchange::begin(const QString& host, double port) {
    close();
    return startConnectPhase(host, port) && connectSocket(host, port);
}

bool SocketExchange::startConnectPhase(const QString& host, double port) {
    const std::optional<quint16> wholePort = TimeSocket::connectablePort(host, port);
    if (!wholePort)
        return false;
    server_ = host + u':' + QString::number(*wholePort);
    markMs_ = parts_.clock.monotonicMs();
    return true;
}

bool SocketExchange::connectSocket(const QString& host, double port) {
    connecting_ = parts_.socket.connectTo(host, port);
    return connecting_;
}

void SocketExchange::close() {
    connecting_ = false;
    parts_.socket.close();
}

// The socket connected (a UDP socket: the server's addresses found).
void SocketExchange::onConnected() {
    if (!connecting_)
        return;  // a look-up answered after its run had given up
    connecting_ = false;
    if (!readyLine_.isEmpty())
        parts_.log.add(readyLine_.arg(msSinceMark()));
    Q_EMIT ready();
}

// A failed send leaves the mark as it was, as it leaves the engine's waits.
bool SocketExchange::send(const QByteArray& query) {
    if (!parts_.socket.send(query))
        return false;
    markMs_ = parts_.clock.monotonicMs();
    return true;
}

qint64 SocketExchange::msSinceMark() const {
    return parts_.clock.monotonicMs() - markMs_;
}

bool SocketExchange::inTime(qint64 ms) const {
    return double(ms) < leadingNumber(parts_.settings.maxReplyDelayText);
}
