#include "engine/nts/ntsexchange.h"

#include <QRandomGenerator>
#include <utility>

#include "common/clock.h"
#include "engine/nts/keyexchange.h"
#include "engine/nts/ntspacket.h"
#include "engine/nts/ntsport.h"
#include "engine/runmessages.h"
#include "engine/timesocket.h"
#include "log/activitylog.h"

namespace {
QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}

QString ntpServerOf(const NtsKeys& keys) {
    return QStringLiteral("NTP server %1:%2, %3 cookies.")
        .arg(keys.ntpHost, QString::number(keys.ntpPort), QString::number(keys.cookies.size()));
}
}  // namespace

NtsExchange::NtsExchange(NtsKeyExchange& keyExchange, const Parts& parts, QObject* parent)
    : MeasuredExchange(parts, QString(), parent), keyExchange_(keyExchange) {
    connect(&parts_.socket, &TimeSocket::dataArrived, this, &NtsExchange::onDatagram);
    connect(&keyExchange_, &NtsKeyExchange::succeeded, this, &NtsExchange::takeKeys);
    connect(&keyExchange_, &NtsKeyExchange::failed, this, &NtsExchange::keyExchangeFailed);
}

bool NtsExchange::servesPort(double port) const {
    return speaksNts(port);
}

// Kept keys are good while a cookie is left and for a day of the clock that counts sleep, so a
// laptop that slept through the day still renews them.
bool NtsExchange::begin(const QString& host, double port) {
    close();
    if (!startConnectPhase(host, port))
        return false;
    host_ = host;
    refusedOnce_ = false;
    const auto kept = keys_.constFind(server());
    if (kept == keys_.cend() || kept->cookies.isEmpty() ||
        kept->expired(parts_.clock.boottimeMs())) {
        exchangeKeys();
        return true;
    }
    parts_.log.add(QStringLiteral("NTS keys kept from an earlier key exchange: ") +
                   ntpServerOf(*kept));
    return connectSocket(kept->ntpHost, kept->ntpPort);
}

bool NtsExchange::query(int attempt) {
    NtsKeys& keys = keys_[server()];
    if (keys.cookies.isEmpty()) {
        // Every cookie went out unanswered: new ones need a new key exchange, after which the
        // next attempt follows.
        exchangeKeysAgain();
        return false;
    }
    const quint64 bits = QRandomGenerator::system()->generate64();
    uniqueId_ = randomBytes(NtsUniqueIdSize);
    const QByteArray request = ntsRequest(keys, bits, uniqueId_, randomBytes(NtsNonceSize));
    return !request.isEmpty() && sendRequest(attempt, bits, request);
}

void NtsExchange::close() {
    exchangingKeys_ = false;
    keyExchange_.abort();
    MeasuredExchange::close();
}

void NtsExchange::exchangeKeys() {
    keys_.remove(server());
    exchangingKeys_ = true;
    keyExchange_.start(host_, quint16(NtsPort));
}

// Within a run: back to the connect phase, which the engine's connect wait bounds afresh.
void NtsExchange::exchangeKeysAgain() {
    MeasuredExchange::close();
    startConnectPhase(host_, NtsPort);
    Q_EMIT connecting();
    exchangeKeys();
}

void NtsExchange::takeKeys(const NtsKeys& keys) {
    if (!std::exchange(exchangingKeys_, false))
        return;
    NtsKeys& kept = keys_[server()] = keys;
    kept.obtainedMs = parts_.clock.boottimeMs();
    parts_.log.add(
        QStringLiteral("NTS key exchange completed after %1 milliseconds: ").arg(msSinceMark()) +
        ntpServerOf(kept));
    if (!connectSocket(kept.ntpHost, kept.ntpPort))
        Q_EMIT gaveUp(RunMessage::ConnectionFailed, Shun::No);
}

void NtsExchange::keyExchangeFailed(const QString& reason) {
    if (std::exchange(exchangingKeys_, false))
        Q_EMIT gaveUp(QStringLiteral("NTS key exchange failed - ") + reason, Shun::No);
}

// Only an authenticated reply, or the NAK, is judged; once one has been, later copies of it are
// dropped, so a replayed reply cannot add its cookies twice.
void NtsExchange::onDatagram(const QByteArray& datagram) {
    const qint64 receivedMonotonicNs = parts_.clock.monotonicNs();
    const auto keys = keys_.find(server());
    if (!awaiting() || uniqueId_.isEmpty() || keys == keys_.end())
        return;
    const NtsReply reply = readNtsReply(datagram, transmitBits(), uniqueId_, keys->serverToClient);
    if (reply.kind == NtsReplyKind::Dropped)
        return;
    uniqueId_.clear();
    const bool authenticated = reply.kind == NtsReplyKind::Authenticated;
    if (authenticated)
        keys->addCookies(reply.cookies);
    judge(reply.ntp, receivedMonotonicNs, authenticated);
}

// The NAK: the server can no longer read our cookies. The first within a run asks for new keys
// at once; a second gives the server up as other refusals do.
void NtsExchange::refused(const QByteArray& code) {
    if (code != "NTSN")
        return MeasuredExchange::refused(code);
    keys_.remove(server());
    if (std::exchange(refusedOnce_, true))
        Q_EMIT gaveUp(RunMessage::ServerRefused, Shun::No);
    else
        exchangeKeysAgain();
}
