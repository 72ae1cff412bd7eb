#pragma once

#include "engine/ntp/measuredexchange.h"

// SNTP over UDP, for rows on NTP's own port. Each attempt sends a request with a fresh random
// transmit timestamp, so only the latest request's reply counts; the reply gives the offset.
class NtpExchange final : public MeasuredExchange {
    Q_OBJECT
public:
    explicit NtpExchange(const Parts& parts, QObject* parent = nullptr);

    bool servesPort(double port) const override;
    bool query(int attempt) override;

private:
    void onDatagram(const QByteArray& datagram);
};
