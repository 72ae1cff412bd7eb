#pragma once

#include <QTcpSocket>

#include "engine/timesocket.h"

// TimeSocket over QTcpSocket.
class TcpTimeSocket final : public TimeSocket {
    Q_OBJECT
public:
    explicit TcpTimeSocket(QObject* parent = nullptr);
    bool connectTo(const QString& host, double port) override;
    bool send(const QByteArray& data) override;
    void close() override;

private:
    void takeArrival();

    QTcpSocket socket_;
};
