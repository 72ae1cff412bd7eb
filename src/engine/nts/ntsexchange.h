#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include "engine/ntp/measuredexchange.h"
#include "engine/nts/ntskeys.h"

class NtsKeyExchange;

// NTS (RFC 8915) for rows on the key exchange's port. The connect phase is the key exchange, or
// keys kept from an earlier one, then the look-up of the NTP server it named; each attempt is an
// NTP request carrying a fresh Unique Identifier and one unused cookie, sealed with the keys, and
// only a reply the server authenticated counts. Each server's keys and unused cookies stay in
// this object for its later runs, in memory only.
class NtsExchange final : public MeasuredExchange {
    Q_OBJECT
public:
    NtsExchange(NtsKeyExchange& keyExchange, const Parts& parts, QObject* parent = nullptr);

    bool servesPort(double port) const override;
    bool begin(const QString& host, double port) override;
    bool query(int attempt) override;
    void close() override;

private:
    void exchangeKeys();
    void exchangeKeysAgain();
    void takeKeys(const NtsKeys& keys);
    void keyExchangeFailed(const QString& reason);
    void onDatagram(const QByteArray& datagram);
    void refused(const QByteArray& code) override;

    NtsKeyExchange& keyExchange_;
    QHash<QString, NtsKeys> keys_;  // by server, host:port as asked
    QString host_;
    QByteArray uniqueId_;  // the latest request's, until a reply to it counted
    bool exchangingKeys_ = false;
    bool refusedOnce_ = false;  // an NTS NAK within the run
};
