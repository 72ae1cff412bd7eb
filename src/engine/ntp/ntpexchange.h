#pragma once

#include "engine/socketexchange.h"

struct NtpReply;
struct NtpSample;

// SNTP over UDP, for rows on NTP's own port. Each attempt sends a request with a fresh random
// transmit timestamp, so only the latest request's reply counts; the reply gives the offset.
class NtpExchange final : public SocketExchange {
    Q_OBJECT
public:
    explicit NtpExchange(const Parts& parts, QObject* parent = nullptr);

    bool servesPort(double port) const override;
    bool query(int attempt) override;
    void close() override;

private:
    void onDatagram(const QByteArray& datagram);
    void judge(const NtpReply& reply, const NtpSample& sample);

    // The latest request: the transmit timestamp a reply must echo, and when it went out (T1)
    // by the realtime and the monotonic clock.
    struct Request {
        quint64 transmitBits = 0;
        qint64 sentUnixNs = 0;
        qint64 sentMonotonicNs = 0;
    } request_;
    int attempt_ = 0;
    bool awaiting_ = false;  // a request has gone out since the exchange began
};
