#pragma once

#include <QList>

#include "engine/lineexchange.h"
#include "engine/ntp/ntpexchange.h"
#include "engine/nts/ntsexchange.h"
#include "platform/tcptimesocket.h"
#include "platform/tlskeyexchange.h"
#include "platform/udptimesocket.h"

class ActivityLog;
class Clock;
struct Settings;

// The exchanges with time servers over the real network, each on its own socket, and the table
// the engine picks from: NTS and NTP for rows on their ports, the line protocol for every other.
class NetworkExchanges {
public:
    NetworkExchanges(const Clock& clock, ActivityLog& log, const Settings& settings);

    QList<TimeExchange*> table() { return {&ntsExchange_, &ntpExchange_, &lineExchange_}; }

private:
    TlsKeyExchange keyExchange_;
    UdpTimeSocket ntsSocket_;
    UdpTimeSocket ntpSocket_;
    TcpTimeSocket tcpSocket_;
    NtsExchange ntsExchange_;
    NtpExchange ntpExchange_;
    LineExchange lineExchange_;
};
