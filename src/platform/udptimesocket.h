#pragma once

#include <QHostAddress>
#include <QUdpSocket>

#include "engine/timesocket.h"

// TimeSocket over QUdpSocket, for NTP. "Connecting" looks the host up and binds an ephemeral
// port; connected() means the server's address is known. Only datagrams from that address and
// port arrive through dataArrived(); any other is dropped unseen, so a stray or forged sender
// cannot reach the engine. There is no connection to lose.
class UdpTimeSocket final : public TimeSocket {
    Q_OBJECT
public:
    explicit UdpTimeSocket(QObject* parent = nullptr);
    ~UdpTimeSocket() override;
    bool connectTo(const QString& host, double port) override;
    bool send(const QByteArray& data) override;
    void close() override;

private:
    void addressFound(const QHostAddress& address);
    void takeDatagrams();

    QUdpSocket socket_;
    QHostAddress server_;
    quint16 port_ = 0;
    int lookupId_ = -1;
    quint64 lookups_ = 0;  // counts look-ups begun and given up
};
