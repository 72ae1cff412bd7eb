#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include "engine/ntp/ntppacket.h"
#include "engine/nts/ntskeys.h"

// The NTPv4 packet with the extension fields of NTS (RFC 8915, section 5).

constexpr qsizetype NtsUniqueIdSize = 32;
constexpr qsizetype NtsNonceSize = 16;

// A client request: the 48-byte request of ntpRequest(transmitBits), the Unique Identifier, the
// oldest of keys' cookies (taken from them, never sent twice) and the Authenticator, sealed with
// the client-to-server key over everything before it. Its encrypted part holds cookie
// placeholders, at least one, so that the reply refills the cookies to MaxCookies. Empty when
// no cookie is left or sealing fails. uniqueId and nonce are fresh random bytes of the sizes
// above.
QByteArray ntsRequest(NtsKeys& keys, quint64 transmitBits, QByteArrayView uniqueId,
                      QByteArrayView nonce);

enum class NtsReplyKind {
    Dropped,          // not an answer to our request: anything unauthenticated but a NAK
    NotAcknowledged,  // the NTS NAK: stratum 0, kiss code NTSN, our Unique Identifier
    Authenticated,
};

struct NtsReply {
    NtsReplyKind kind = NtsReplyKind::Dropped;
    NtpReply ntp;               // read as readNtpReply() does, for every kind but Dropped
    QList<QByteArray> cookies;  // new ones, from the encrypted part only
};

// A datagram read as the reply to the request that carried transmitBits and uniqueId.
NtsReply readNtsReply(QByteArrayView datagram, quint64 transmitBits, QByteArrayView uniqueId,
                      QByteArrayView serverToClient);
