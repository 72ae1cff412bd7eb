#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The records of the NTS key exchange (RFC 8915, section 4) carried over its TLS connection.

// The client's request: Next Protocol NTPv4 and End of Message, both critical, between them the
// AEAD algorithm AES-SIV-CMAC-256.
QByteArray ntsKeRequest();

// Reads the server's response as its bytes arrive, however the stream is cut. It holds at most
// one record (under 64 KiB) and NtsKeys::MaxCookies cookies of NtsKeys::MaxCookieSize whatever the
// server sends.
class NtsKeResponse {
public:
    enum class State { Reading, Complete, Failed };

    // Takes the next bytes of the stream; bytes after End of Message or a failure are ignored.
    State read(QByteArrayView bytes);
    // The stream ended (the server closed the connection): a failure unless already complete.
    void endOfStream();

    State state() const { return state_; }
    // Why the response failed: "server error N", "no cookies", "unsupported algorithm", ...
    const QString& failure() const { return failure_; }
    // The NTP server it named; empty when it named none (the key-exchange host then).
    const QString& ntpServer() const { return ntpServer_; }
    quint16 ntpPort() const { return ntpPort_; }
    const QList<QByteArray>& cookies() const { return cookies_; }

private:
    void takeRecord(quint16 type, bool critical, QByteArrayView body);
    void finish();
    void fail(const QString& reason);

    State state_ = State::Reading;
    QString failure_;
    QByteArray pending_;  // the start of a record whose end has not arrived yet
    bool protocolAgreed_ = false;
    bool algorithmAgreed_ = false;
    QString ntpServer_;
    quint16 ntpPort_ = 123;
    QList<QByteArray> cookies_;
};
