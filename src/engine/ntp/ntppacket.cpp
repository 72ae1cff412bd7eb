#include "engine/ntp/ntppacket.h"

#include <QtEndian>
#include <algorithm>

namespace {
constexpr qsizetype PacketSize = 48;
constexpr qsizetype ReferenceIdAt = 12;
constexpr qsizetype OriginAt = 24;
constexpr qsizetype ReceiveAt = 32;
constexpr qsizetype TransmitAt = 40;
constexpr int ClientMode = 3;
constexpr int ServerMode = 4;
constexpr int Version = 4;
constexpr int LeapUnknown = 3;
constexpr int UnsynchronisedStratum = 16;

quint64 timestampAt(QByteArrayView datagram, qsizetype at) {
    return qFromBigEndian<quint64>(datagram.data() + at);
}

// A kiss code is four ASCII letters ("RATE").
bool isKissCode(const QByteArray& referenceId) {
    return std::all_of(referenceId.cbegin(), referenceId.cend(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

NtpReplyKind kindOf(const NtpReply& reply) {
    // A kiss-o'-death usually comes with leap indicator 3 as well; its code says more. A stratum
    // 0 without a code (openntpd's while it is unsynchronised) and the codes that only say the
    // server is not ready yet are no refusal.
    if (reply.stratum == 0) {
        const QByteArray& code = reply.referenceId;
        return isKissCode(code) && code != "INIT" && code != "STEP" ? NtpReplyKind::KissOfDeath
                                                                    : NtpReplyKind::NotSynchronised;
    }
    if (reply.leap == LeapUnknown || reply.stratum >= UnsynchronisedStratum)
        return NtpReplyKind::NotSynchronised;
    return NtpReplyKind::Usable;
}
}  // namespace

QByteArray ntpRequest(quint64 transmitBits) {
    QByteArray request(PacketSize, '\0');
    request[0] = char(Version << 3 | ClientMode);
    qToBigEndian(transmitBits, request.data() + TransmitAt);
    return request;
}

NtpReply readNtpReply(QByteArrayView datagram, quint64 requestTransmitBits) {
    NtpReply reply;
    if (datagram.size() < PacketSize)
        return reply;
    const auto first = quint8(datagram[0]);
    if ((first & 0x7) != ServerMode || timestampAt(datagram, OriginAt) != requestTransmitBits)
        return reply;
    reply.leap = first >> 6;
    reply.version = first >> 3 & 0x7;
    reply.stratum = quint8(datagram[1]);
    reply.referenceId = datagram.sliced(ReferenceIdAt, 4).toByteArray();
    reply.received = NtpTimestamp(timestampAt(datagram, ReceiveAt));
    reply.sent = NtpTimestamp(timestampAt(datagram, TransmitAt));
    reply.kind = kindOf(reply);
    return reply;
}
