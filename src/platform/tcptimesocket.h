#pragma once

#include <QTcpSocket>

#include "engine/timesocket.h"

// TimeSocket over QTcpSocket.
class TcpTimeSocket final : public TimeSocket {
    Q_OBJECT
public:
    explicit TcpTimeSocket(QObject* parent = nullptr);
    bool Connect(const QString& host, double port) override;
    bool SendData(const QByteArray& data) override;
    void Close() override;

private:
    void takeArrival();

    QTcpSocket socket_;
};
