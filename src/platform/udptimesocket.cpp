#include "platform/udptimesocket.h"

#include <QHostInfo>
#include <QNetworkDatagram>

UdpTimeSocket::UdpTimeSocket(QObject* parent) : TimeSocket(parent) {
    connect(&socket_, &QUdpSocket::readyRead, this, &UdpTimeSocket::takeDatagrams);
}

UdpTimeSocket::~UdpTimeSocket() {
    close();
}

bool UdpTimeSocket::connectTo(const QString& host, double port) {
    close();
    const std::optional<quint16> wholePort = connectablePort(host, port);
    if (!wholePort)
        return false;
    port_ = *wholePort;
    // The answer comes from the event loop in either case, as a TCP connection's would.
    const quint64 lookup = ++lookups_;
    lookupId_ = QHostInfo::lookupHost(host, this, [this, lookup](const QHostInfo& info) {
        // An answer that was on its way when the look-up was given up belongs to no run.
        if (lookup != lookups_)
            return;
        lookupId_ = -1;
        // A name that cannot be found leaves the run to its connect wait, as a TCP server that
        // does not answer does.
        if (info.error() == QHostInfo::NoError && !info.addresses().isEmpty()) {
            addresses_ = info.addresses();
            // Bound now, so that the first request's round trip does not include the binding.
            bindFor(addresses_.first());
            Q_EMIT connected();
        }
    });
    return true;
}

// Each request goes to the next of the name's addresses, wrapping, so a dead address of a pool
// (or an IPv6 address without IPv6) costs one reply wait, not the server. A datagram that cannot
// go out is lost as one lost on the way would be: its reply wait runs out, the next goes on.
bool UdpTimeSocket::send(const QByteArray& data) {
    if (addresses_.isEmpty())
        return false;
    server_ = addresses_.at(sent_++ % addresses_.size());
    if (bindFor(server_))
        socket_.writeDatagram(data, server_, port_);
    return true;
}

// A socket of the address's family on an ephemeral port. A new one leaves the earlier requests'
// replies unread, which no longer count anyway.
bool UdpTimeSocket::bindFor(const QHostAddress& address) {
    const bool v4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    if (socket_.state() == QAbstractSocket::BoundState &&
        (socket_.localAddress().protocol() == QAbstractSocket::IPv4Protocol) == v4)
        return true;
    socket_.abort();
    return socket_.bind(
        v4 ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(QHostAddress::AnyIPv6), 0);
}

void UdpTimeSocket::close() {
    if (lookupId_ >= 0)
        QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
    ++lookups_;
    addresses_.clear();
    sent_ = 0;
    server_.clear();
    socket_.abort();
}

void UdpTimeSocket::takeDatagrams() {
    // The engine may close the socket from within dataArrived().
    while (socket_.state() == QAbstractSocket::BoundState && socket_.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket_.receiveDatagram(MaxReplyBytes);
        const bool fromServer =
            !server_.isNull() && datagram.senderPort() == port_ &&
            datagram.senderAddress().isEqual(server_, QHostAddress::ConvertV4MappedToIPv4);
        if (fromServer)
            Q_EMIT dataArrived(datagram.data());
    }
}
