#pragma once

#include <QList>

#include "engine/lineexchange.h"
#include "engine/ntp/ntpexchange.h"
#include "platform/tcptimesocket.h"
#include "platform/udptimesocket.h"

class ActivityLog;
class Clock;
struct Settings;

// The exchanges with time servers over the real network, each on its own socket, and the table
// the engine picks from: NTP for rows on its port, the line protocol for every other.
class NetworkExchanges {
public:
    NetworkExchanges(const Clock& clock, ActivityLog& log, const Settings& settings);

    QList<TimeExchange*> table() { return {&ntpExchange_, &lineExchange_}; }

private:
    UdpTimeSocket udpSocket_;
    TcpTimeSocket tcpSocket_;
    NtpExchange ntpExchange_;
    LineExchange lineExchange_;
};
