#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What an NTS key exchange agreed: the NTP server to ask, the two keys from the TLS exporter and
// the cookies the server handed out, each good for one request. Held in memory only: none of it
// is ever written to a file or the log.
struct NtsKeys {
    static constexpr int MaxCookies = 8;
    static constexpr qsizetype MaxCookieSize = 512;         // longer ones are not kept
    static constexpr qint64 LifetimeMs = 24 * 3600 * 1000;  // then a new key exchange runs

    QString ntpHost;
    quint16 ntpPort = 123;
    QByteArray clientToServer;  // the 32-byte keys
    QByteArray serverToClient;
    QList<QByteArray> cookies;  // oldest first, at most MaxCookies
    qint64 obtainedMs = 0;      // boot-time milliseconds (counting sleep) when it completed

    // The oldest unused cookie, removed so it is never sent twice; empty when none is left.
    QByteArray takeCookie();
    // New cookies from a reply, as many as fit.
    void addCookies(const QList<QByteArray>& fresh);
    bool expired(qint64 nowMs) const { return nowMs - obtainedMs >= LifetimeMs; }
};
