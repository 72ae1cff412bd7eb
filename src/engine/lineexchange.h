#pragma once

#include "engine/socketexchange.h"

// The line protocol over TCP, on every port no other exchange serves: query N is the number N,
// and a reply to it is "N:" and the server's UTC time as text ("DDMMMYYHHMMSS").
class LineExchange final : public SocketExchange {
    Q_OBJECT
public:
    explicit LineExchange(const Parts& parts, QObject* parent = nullptr);

    bool servesPort(double) const override { return true; }
    bool query(int attempt) override;

private:
    void judge(const QByteArray& reply);
    void takeSample(const QByteArray& reply);

    int attempt_ = 0;
};
