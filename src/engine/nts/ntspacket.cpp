#include "engine/nts/ntspacket.h"

#include <QtEndian>
#include <algorithm>

#include "engine/nts/aessiv.h"
#include "engine/nts/ntsfields.h"

namespace {
constexpr qsizetype HeaderSize = 48;
constexpr qsizetype LengthsSize = 4;  // the Authenticator's nonce and ciphertext lengths

qsizetype padded(qsizetype size) {
    return (size + 3) / 4 * 4;
}

// The Authenticator's body: both lengths, then the nonce and the sealed bytes, each padded.
QByteArray authenticatorBody(QByteArrayView nonce, QByteArrayView sealed) {
    QByteArray body(LengthsSize, '\0');
    qToBigEndian(quint16(nonce.size()), body.data());
    qToBigEndian(quint16(sealed.size()), body.data() + 2);
    body.append(nonce).append(QByteArray(padded(nonce.size()) - nonce.size(), '\0'));
    return body.append(sealed).append(QByteArray(padded(sealed.size()) - sealed.size(), '\0'));
}

// The cookies in a reply's decrypted part.
std::optional<QList<QByteArray>> sealedCookies(QByteArrayView body, QByteArrayView associated,
                                               QByteArrayView key) {
    if (body.size() < LengthsSize)
        return {};
    const qsizetype nonceSize = qFromBigEndian<quint16>(body.data());
    const qsizetype sealedSize = qFromBigEndian<quint16>(body.data() + 2);
    if (nonceSize == 0 || LengthsSize + padded(nonceSize) + padded(sealedSize) > body.size())
        return {};
    const auto plaintext = AesSiv::open(key, associated, body.sliced(LengthsSize, nonceSize),
                                        body.sliced(LengthsSize + padded(nonceSize), sealedSize));
    const auto inner = plaintext ? NtsField::split(*plaintext) : std::nullopt;
    if (!inner)
        return {};
    QList<QByteArray> cookies;
    for (const NtsField::Field& field : *inner)
        if (field.type == NtsField::Cookie && cookies.size() < NtsKeys::MaxCookies)
            cookies.append(field.body.toByteArray());
    return cookies;
}
}  // namespace

QByteArray ntsRequest(NtsKeys& keys, quint64 transmitBits, QByteArrayView uniqueId,
                      QByteArrayView nonce) {
    const QByteArray cookie = keys.takeCookie();
    if (cookie.isEmpty())
        return {};
    QByteArray request = ntpRequest(transmitBits);
    request.append(NtsField::field(NtsField::UniqueIdentifier, uniqueId));
    request.append(NtsField::field(NtsField::Cookie, cookie));
    QByteArray placeholders;
    const qsizetype wanted = std::max<qsizetype>(1, NtsKeys::MaxCookies - 1 - keys.cookies.size());
    for (qsizetype i = 0; i < wanted; ++i)
        placeholders.append(
            NtsField::field(NtsField::CookiePlaceholder, QByteArray(cookie.size(), '\0')));
    const auto sealed = AesSiv::seal(keys.clientToServer, request, nonce, placeholders);
    if (!sealed)
        return {};
    return request.append(
        NtsField::field(NtsField::Authenticator, authenticatorBody(nonce, *sealed)));
}

NtsReply readNtsReply(QByteArrayView datagram, quint64 transmitBits, QByteArrayView uniqueId,
                      QByteArrayView serverToClient) {
    NtsReply reply{NtsReplyKind::Dropped, readNtpReply(datagram, transmitBits), {}};
    const auto fields = reply.ntp.kind == NtpReplyKind::Dropped
                            ? std::nullopt
                            : NtsField::split(datagram.sliced(HeaderSize));
    if (!fields || fields->isEmpty())
        return {};
    const auto ours = std::find_if(fields->begin(), fields->end(), [&](const auto& field) {
        return field.type == NtsField::UniqueIdentifier && field.body == uniqueId;
    });
    if (ours == fields->end())
        return {};
    if (reply.ntp.kind == NtpReplyKind::KissOfDeath && reply.ntp.referenceId == "NTSN") {
        reply.kind = NtsReplyKind::NotAcknowledged;
        return reply;
    }
    // Only what the Authenticator covers counts, so it must be the last field, and the only one.
    const NtsField::Field& last = fields->last();
    const bool alone = std::count_if(fields->begin(), fields->end(), [](const auto& field) {
                           return field.type == NtsField::Authenticator;
                       }) == 1;
    if (last.type != NtsField::Authenticator || !alone)
        return {};
    const auto cookies =
        sealedCookies(last.body, datagram.first(HeaderSize + last.offset), serverToClient);
    if (!cookies)
        return {};
    reply.kind = NtsReplyKind::Authenticated;
    reply.cookies = *cookies;
    return reply;
}
