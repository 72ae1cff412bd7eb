#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include "engine/ntp/ntptimestamp.h"

// The 48-byte SNTP version 4 packet (RFC 4330 client mode, the layout of RFC 5905).

// A client request: leap indicator 0, version 4, mode 3, every other field zero except the
// transmit timestamp, which carries transmitBits (random, so that only the server that got the
// request can answer it: its reply echoes them as its origin timestamp).
QByteArray ntpRequest(quint64 transmitBits);

enum class NtpReplyKind {
    Dropped,      // not a reply to our request: too short, not mode 4, or another origin
    KissOfDeath,  // stratum 0: the server refuses, its reason in the reference id
    // Leap indicator 3 (clock not synchronised), stratum 16 and above, or stratum 0 without a
    // kiss code or with one that only says "not yet" (INIT, STEP).
    NotSynchronised,
    Usable,
};

// A datagram read as the reply to the request whose transmit timestamp was requestTransmitBits.
// Where the sender is the server queried is for the socket to check. The fields are filled in
// for every kind but Dropped.
struct NtpReply {
    NtpReplyKind kind = NtpReplyKind::Dropped;
    int leap = 0;
    int version = 0;
    int stratum = 0;
    QByteArray referenceId;  // the four bytes as sent; a kiss-o'-death's code, four letters
    NtpTimestamp received;   // T2: when the server got the request
    NtpTimestamp sent;       // T3: when the server sent the reply
};

NtpReply readNtpReply(QByteArrayView datagram, quint64 requestTransmitBits);
