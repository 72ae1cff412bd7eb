#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

#include "engine/timesocket.h"

// A time socket in memory: it records where it was asked to connect and everything sent, and
// the test plays the server, synchronously. A request to connect fails at once as a real socket's
// does (an empty host, a port outside 1-65535); a closed socket delivers nothing, as the real ones
// do not.
class MemoryTimeSocket final : public TimeSocket {
public:
    bool connectTo(const QString& toHost, double toPort) override {
        close();
        host = toHost;
        port = toPort;
        connecting_ = bool(connectablePort(toHost, toPort));
        return connecting_;
    }
    bool send(const QByteArray& data) override {
        if (!open_)
            return false;
        sent.append(data);
        return true;
    }
    void close() override { connecting_ = open_ = false; }

    // The server answers the connection request.
    void accept() {
        if (!std::exchange(connecting_, false))
            return;
        open_ = true;
        Q_EMIT connected();
    }
    void deliver(const QByteArray& data) {
        if (open_)
            Q_EMIT dataArrived(data.left(MaxReplyBytes));
    }
    void hangUp() {
        if (std::exchange(open_, false))
            Q_EMIT connectionLost();
    }
    bool isOpen() const { return open_; }

    QString host;
    double port = 0;
    QList<QByteArray> sent;

private:
    bool connecting_ = false;
    bool open_ = false;
};
