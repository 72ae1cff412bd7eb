#include "support/scriptedntpserver.h"

#include <QNetworkDatagram>
#include <QtEndian>

namespace {
// An instant as a 32.32 timestamp, its seconds wrapping into their era (2036-02-07 is 0 again),
// worked out here on its own rather than with the code under test.
quint64 ntpBits(qint64 unixNs) {
    constexpr qint64 Second = 1000000000;
    const qint64 seconds = unixNs / Second - (unixNs % Second < 0 ? 1 : 0);
    const auto ns = quint64(unixNs - seconds * Second);
    return quint64(seconds + 2208988800) << 32 | (ns << 32) / Second;
}
}  // namespace

ScriptedNtpServer::ScriptedNtpServer(const QHostAddress& address, Script script)
    : script_(std::move(script)) {
    if (!socket_.bind(address, 123))
        bindError_ = socket_.errorString();
    connect(&socket_, &QUdpSocket::readyRead, this, [this] {
        while (socket_.hasPendingDatagrams()) {
            const QNetworkDatagram datagram = socket_.receiveDatagram();
            client_ = datagram.senderAddress();
            clientPort_ = quint16(datagram.senderPort());
            requests.append(datagram.data());
            if (script_)
                script_(*this, datagram.data());
        }
    });
}

void ScriptedNtpServer::send(const QByteArray& datagram) {
    socket_.writeDatagram(datagram, client_, clientPort_);
}

quint64 ScriptedNtpServer::transmitBits(const QByteArray& request) {
    return request.size() >= 48 ? qFromBigEndian<quint64>(request.constData() + 40) : 0;
}

QByteArray ScriptedNtpServer::answer(const QByteArray& request, const Answer& fields) {
    QByteArray packet(48, '\0');
    packet[0] = char(fields.leap << 6 | 4 << 3 | 4);  // version 4, server mode
    packet[1] = char(fields.stratum);
    packet.replace(12, 4, fields.referenceId.leftJustified(4, '\0', true));
    qToBigEndian(transmitBits(request), packet.data() + 24);
    qToBigEndian(ntpBits(fields.receivedUnixNs), packet.data() + 32);
    qToBigEndian(ntpBits(fields.sentUnixNs), packet.data() + 40);
    return packet;
}
