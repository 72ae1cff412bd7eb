#pragma once

#include <QHostAddress>
#include <QList>
#include <QUdpSocket>

#include "engine/timesocket.h"

// TimeSocket over QUdpSocket, for NTP. "Connecting" looks the host up; connected() means its
// addresses are known. Each send() goes to the next of them from an ephemeral port, and only
// datagrams from the address and port of the latest arrive through dataArrived(); any other is
// dropped unseen, so a stray or forged sender cannot reach the engine. There is no connection
// to lose.
class UdpTimeSocket final : public TimeSocket {
    Q_OBJECT
public:
    explicit UdpTimeSocket(QObject* parent = nullptr);
    ~UdpTimeSocket() override;
    bool connectTo(const QString& host, double port) override;
    bool send(const QByteArray& data) override;
    void close() override;

private:
    bool bindFor(const QHostAddress& address);
    void takeDatagrams();

    QUdpSocket socket_;
    QList<QHostAddress> addresses_;  // the host's, as the look-up found them
    qsizetype sent_ = 0;             // requests sent to them so far
    QHostAddress server_;            // where the latest went
    quint16 port_ = 0;
    int lookupId_ = -1;
    quint64 lookups_ = 0;  // counts look-ups begun and given up
};
