#pragma once

#include "engine/socketexchange.h"

struct NtpReply;

// What the exchanges in NTP's packet share, plain and authenticated: the latest request, timed
// by both clocks as it goes out (T1), and the judgement of a reply that counts, logged and acted
// on alike.
class MeasuredExchange : public SocketExchange {
    Q_OBJECT
public:
    void close() override;

protected:
    using SocketExchange::SocketExchange;

    // Sends the request of an attempt, whose transmit timestamp carries transmitBits.
    bool sendRequest(int attempt, quint64 transmitBits, const QByteArray& request);
    // A request has gone out since the exchange began.
    bool awaiting() const { return awaiting_; }
    quint64 transmitBits() const { return request_.transmitBits; }
    // A reply that counts, received at that monotonic instant (read first thing on its arrival,
    // since anything done before would count as time on the network).
    void judge(const NtpReply& reply, qint64 receivedMonotonicNs, bool authenticated);
    // A kiss-o'-death, its line logged: the server is given up.
    virtual void refused(const QByteArray& code);

private:
    // The latest request: the transmit timestamp a reply must echo, and when it went out (T1)
    // by the realtime and the monotonic clock.
    struct Request {
        quint64 transmitBits = 0;
        qint64 sentUnixNs = 0;
        qint64 sentMonotonicNs = 0;
    } request_;
    int attempt_ = 0;
    bool awaiting_ = false;
};
