#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

#include "common/leadingnumber.h"

// The connection to a time server as the engine sees it. The real ones are TcpTimeSocket and
// UdpTimeSocket.
class TimeSocket : public QObject {
    Q_OBJECT
public:
    // The most bytes taken from one arrival; the rest of that arrival is dropped.
    static constexpr qsizetype MaxReplyBytes = 4096;

    using QObject::QObject;

    // The port a request to connect to host goes to: the number rounded, halves to even. None
    // when the request fails at once: an empty host, or a port outside 1-65535.
    static std::optional<quint16> connectablePort(const QString& host, double port) {
        const double whole = roundHalfEven(port);
        if (host.isEmpty() || !(whole >= 1 && whole <= 65535))
            return std::nullopt;
        return quint16(whole);
    }

    // Starts connecting in the background to the port rounded to a whole number (halves to
    // even). False when the request fails at once: an empty host, or a port outside 1-65535.
    virtual bool connectTo(const QString& host, double port) = 0;
    // Sends the bytes as they are. False when no connection is open.
    virtual bool send(const QByteArray& data) = 0;
    // Ends the connection, or the attempt to make one; harmless when there is none.
    virtual void close() = 0;

Q_SIGNALS:
    void connected();
    // Everything that had arrived, at most MaxReplyBytes of it.
    void dataArrived(const QByteArray& data);
    // The peer closed an open connection.
    void connectionLost();
};
