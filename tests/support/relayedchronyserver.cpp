#include "support/relayedchronyserver.h"

namespace {
const QHostAddress Seen(QHostAddress::LocalHost);
const QHostAddress Behind(QStringLiteral("127.0.0.2"));
constexpr quint16 KeyExchangePort = 4460;
}  // namespace

RelayedChronyServer::RelayedChronyServer() : chrony_({Behind, KeyExchangePort, {}}) {}

QString RelayedChronyServer::start() {
    if (const QString failure = chrony_.start(); !failure.isEmpty())
        return failure;
    keyExchange_ = std::make_unique<TcpRelay>(Seen, KeyExchangePort, Behind, KeyExchangePort);
    ntp_ = std::make_unique<UdpRelay>(Seen, chrony_.ntpPort(), Behind, chrony_.ntpPort());
    if (!keyExchange_->isListening() || !ntp_->isListening())
        return QStringLiteral("the relays cannot listen on 127.0.0.1");
    return {};
}
