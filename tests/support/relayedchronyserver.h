#pragma once

#include <QString>
#include <memory>

#include "support/chronyntsserver.h"
#include "support/tcprelay.h"
#include "support/udprelay.h"

// chronyd as an NTS server on 127.0.0.2, reached through relays on 127.0.0.1 where clients see
// it: its key exchange on port 4460 through a TCP relay that counts the TLS connections, its NTP
// port through a UDP relay that lets the test read, change, drop or replace each datagram.
// Its key exchange names no NTP server, so clients send NTP to 127.0.0.1, into the relay. Port
// 4460 is taken on 127.0.0.1, so this belongs in a private network.
class RelayedChronyServer {
public:
    RelayedChronyServer();

    // Starts chronyd with a certificate for 127.0.0.1, then the relays. Empty when all run;
    // else why not.
    QString start();

    const ChronyNtsServer& chrony() const { return chrony_; }
    TcpRelay& keyExchange() { return *keyExchange_; }
    UdpRelay& ntp() { return *ntp_; }

private:
    ChronyNtsServer chrony_;
    std::unique_ptr<TcpRelay> keyExchange_;
    std::unique_ptr<UdpRelay> ntp_;
};
