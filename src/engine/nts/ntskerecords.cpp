#include "engine/nts/ntskerecords.h"

#include <QtEndian>

#include "engine/nts/ntskeys.h"

namespace {
enum RecordType : quint16 {
    EndOfMessage = 0,
    NextProtocol = 1,
    Error = 2,
    Warning = 3,
    AeadAlgorithm = 4,
    NewCookie = 5,
    NtpServer = 6,
    NtpPort = 7,
};
constexpr quint16 Critical = 0x8000;
constexpr quint16 NtpV4 = 0;
constexpr quint16 AesSivCmac256 = 15;
constexpr qsizetype HeaderSize = 4;
constexpr qsizetype MaxHostLength = 255;

void appendWord(QByteArray& out, quint16 value) {
    out.append(char(value >> 8)).append(char(value & 0xff));
}

void appendRecord(QByteArray& out, quint16 type, std::initializer_list<quint16> words) {
    appendWord(out, type);
    appendWord(out, quint16(2 * words.size()));
    for (quint16 word : words)
        appendWord(out, word);
}

quint16 wordAt(QByteArrayView bytes, qsizetype at) {
    return qFromBigEndian<quint16>(bytes.data() + at);
}

// A host name or address literal: visible ASCII, as a name in a DNS query or an address is.
bool isHostText(QByteArrayView body) {
    if (body.isEmpty() || body.size() > MaxHostLength)
        return false;
    for (char c : body)
        if (c <= ' ' || c > '~')
            return false;
    return true;
}
}  // namespace

QByteArray ntsKeRequest() {
    QByteArray request;
    appendRecord(request, Critical | NextProtocol, {NtpV4});
    appendRecord(request, AeadAlgorithm, {AesSivCmac256});
    appendRecord(request, Critical | EndOfMessage, {});
    return request;
}

NtsKeResponse::State NtsKeResponse::read(QByteArrayView bytes) {
    while (state_ == State::Reading && !bytes.isEmpty()) {
        // Complete the header first, then the body it announces; no more than that is held.
        const qsizetype wanted =
            pending_.size() < HeaderSize ? HeaderSize : HeaderSize + wordAt(pending_, 2);
        const qsizetype taken = std::min(wanted - pending_.size(), bytes.size());
        pending_.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (pending_.size() < HeaderSize || pending_.size() < HeaderSize + wordAt(pending_, 2))
            continue;
        const quint16 type = wordAt(pending_, 0);
        const QByteArray record = std::exchange(pending_, {});
        takeRecord(type & ~Critical, type & Critical, QByteArrayView(record).sliced(HeaderSize));
    }
    return state_;
}

void NtsKeResponse::endOfStream() {
    if (state_ == State::Reading)
        fail(QStringLiteral("response incomplete"));
}

void NtsKeResponse::takeRecord(quint16 type, bool critical, QByteArrayView body) {
    const bool oneWord = body.size() == 2;
    switch (type) {
        case EndOfMessage:
            return finish();
        case NextProtocol:
            if (!oneWord || wordAt(body, 0) != NtpV4)
                return fail(QStringLiteral("unsupported protocol"));
            protocolAgreed_ = true;
            return;
        case AeadAlgorithm:
            if (!oneWord || wordAt(body, 0) != AesSivCmac256)
                return fail(QStringLiteral("unsupported algorithm"));
            algorithmAgreed_ = true;
            return;
        case Error:
        case Warning:
            if (!oneWord)
                return fail(QStringLiteral("malformed response"));
            return fail((type == Error ? QStringLiteral("server error ")
                                       : QStringLiteral("server warning ")) +
                        QString::number(wordAt(body, 0)));
        case NewCookie:
            if (!body.isEmpty() && body.size() <= NtsKeys::MaxCookieSize &&
                cookies_.size() < NtsKeys::MaxCookies)
                cookies_.append(body.toByteArray());
            return;
        case NtpServer:
            if (!isHostText(body))
                return fail(QStringLiteral("malformed response"));
            ntpServer_ = QString::fromLatin1(body);
            return;
        case NtpPort:
            if (!oneWord || wordAt(body, 0) == 0)
                return fail(QStringLiteral("malformed response"));
            ntpPort_ = wordAt(body, 0);
            return;
        default:
            if (critical)
                fail(QStringLiteral("unknown critical record ") + QString::number(type));
    }
}

void NtsKeResponse::finish() {
    if (!protocolAgreed_)
        return fail(QStringLiteral("unsupported protocol"));
    if (!algorithmAgreed_)
        return fail(QStringLiteral("unsupported algorithm"));
    if (cookies_.isEmpty())
        return fail(QStringLiteral("no cookies"));
    state_ = State::Complete;
}

void NtsKeResponse::fail(const QString& reason) {
    state_ = State::Failed;
    failure_ = reason;
    cookies_.clear();
}
