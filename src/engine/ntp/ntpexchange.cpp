#include "engine/ntp/ntpexchange.h"

#include <QRandomGenerator>

#include "common/clock.h"
#include "engine/ntp/ntppacket.h"
#include "engine/ntp/ntpport.h"
#include "engine/timesocket.h"

NtpExchange::NtpExchange(const Parts& parts, QObject* parent)
    : MeasuredExchange(parts, QStringLiteral("NTP server found after %1 milliseconds."), parent) {
    connect(&parts_.socket, &TimeSocket::dataArrived, this, &NtpExchange::onDatagram);
}

bool NtpExchange::servesPort(double port) const {
    return speaksNtp(port);
}

bool NtpExchange::query(int attempt) {
    const quint64 bits = QRandomGenerator::system()->generate64();
    return sendRequest(attempt, bits, ntpRequest(bits));
}

void NtpExchange::onDatagram(const QByteArray& datagram) {
    const qint64 receivedMonotonicNs = parts_.clock.monotonicNs();
    if (!awaiting())
        return;
    const NtpReply reply = readNtpReply(datagram, transmitBits());
    if (reply.kind != NtpReplyKind::Dropped)
        judge(reply, receivedMonotonicNs, false);
}
