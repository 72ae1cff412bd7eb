#include <QSet>
#include <QTest>
#include <QtEndian>

#include "engine/nts/aessiv.h"
#include "engine/nts/ntsfields.h"
#include "enginefixture.h"
#include "support/ntsfieldsonwire.h"
#include "support/scriptedntpserver.h"

namespace {
const QString Row = QStringLiteral("127.0.0.1:4460");
const QString Queried = QStringLiteral("Queried server for time - attempt %1:");
const QByteArray ClientKey(32, 'c');
const QByteArray ServerKey(32, 's');
const QByteArray Nonce(16, 'n');
constexpr qint64 Ms = 1000000;
constexpr qint64 Day = 24 * 3600 * 1000;
using Answer = ScriptedNtpServer::Answer;
enum Forgery { PlainNtp, AnotherKey, Altered, AnotherIdentifier, UnsealedKiss };

// What a key exchange with the server agrees: NTP on 127.0.0.3:123, cookies of 100 bytes that
// name their batch, so that each cookie is told from every other.
NtsKeys agreed(char batch, int cookies = 8) {
    NtsKeys keys;
    keys.ntpHost = QStringLiteral("127.0.0.3");
    keys.clientToServer = ClientKey;
    keys.serverToClient = ServerKey;
    for (int i = 0; i < cookies; ++i)
        keys.cookies.append(QByteArray(1, batch).append(QByteArray::number(i)).leftJustified(100));
    return keys;
}

// A request as the server reads it: its Unique Identifier and cookie, and whether its
// Authenticator opens with the client-to-server key over everything before it.
struct Request {
    QByteArray uniqueId;
    QByteArray cookie;
    bool sealed = false;
};

Request read(const QByteArray& datagram) {
    Request request;
    for (const OnWire::Field& field : OnWire::fields(datagram)) {
        const QByteArray& body = field.body;
        if (field.type == OnWire::UniqueIdentifier)
            request.uniqueId = body;
        if (field.type == OnWire::Cookie)
            request.cookie = body;
        if (field.type == OnWire::Authenticator) {
            const auto number = [&](qsizetype at) {
                return qFromBigEndian<quint16>(body.data() + at);
            };
            const qsizetype nonceSize = number(0);
            request.sealed = bool(AesSiv::open(ClientKey, datagram.first(field.bodyAt - 4),
                                               body.mid(4, nonceSize),
                                               body.mid(4 + (nonceSize + 3) / 4 * 4, number(2))));
        }
    }
    return request;
}

// The server's answer to a request, its clock a second ahead of ours (or its timestamps zero):
// the NTP fields, the Unique Identifier, then new cookies sealed with key over all before them.
QByteArray answer(EngineFixture& f, const QList<QByteArray>& cookies,
                  const QByteArray& key = ServerKey, bool zeroTimestamps = false) {
    const QByteArray& request = f.ntsSocket.sent.last();
    Answer fields;
    fields.receivedUnixNs = fields.sentUnixNs = f.clock.utcNowNs() + 1000 * Ms;
    QByteArray plain = ScriptedNtpServer::answer(request, fields);
    if (zeroTimestamps)
        plain.replace(32, 16, QByteArray(16, '\0'));
    plain.append(NtsField::field(NtsField::UniqueIdentifier, read(request).uniqueId));
    QByteArray inner;
    for (const QByteArray& cookie : cookies)
        inner.append(NtsField::field(NtsField::Cookie, cookie));
    const QByteArray sealed = AesSiv::seal(key, plain, Nonce, inner).value();
    QByteArray lengths(4, '\0');
    qToBigEndian(quint16(Nonce.size()), lengths.data());
    qToBigEndian(quint16(sealed.size()), lengths.data() + 2);
    return plain + NtsField::field(NtsField::Authenticator, lengths + Nonce + sealed);
}

// The NTS NAK to the latest request: a kiss with code NTSN and its Unique Identifier only.
QByteArray nak(EngineFixture& f) {
    const QByteArray& request = f.ntsSocket.sent.last();
    Answer fields{0, 0, "NTSN"};
    fields.receivedUnixNs = fields.sentUnixNs = f.clock.utcNowNs() + 1000 * Ms;
    return ScriptedNtpServer::answer(request, fields) +
           NtsField::field(NtsField::UniqueIdentifier, read(request).uniqueId);
}

QString completed(qint64 ms, int cookies = 8) {
    return QStringLiteral(
               "NTS key exchange completed after %1 milliseconds: NTP server 127.0.0.3:123, %2 "
               "cookies.")
        .arg(ms)
        .arg(cookies);
}

const QString Offset =
    QStringLiteral("stratum %1, offset +1.000 seconds, round trip 0 milliseconds:");
const QString Accepted = QStringLiteral("Packet was reply to attempt %1 - packet accepted:");
const QString Updated = QStringLiteral(
    "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 12:00:01 - a correction of "
    "+1.000 seconds.*");

// Begins a run on the NTS row; its key exchange, when one is asked for, succeeds with keys
// after 25 ms. True when request 1 went out.
[[nodiscard]] bool start(EngineFixture& f, const NtsKeys& keys) {
    const qsizetype sentBefore = f.ntsSocket.sent.size();
    f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("4460")}});
    f.engine.requestUpdate();
    f.clock.advance(25);
    f.keyExchange.succeed(keys);
    f.ntsSocket.accept();
    return f.ntsSocket.sent.size() == sentBefore + 1;
}

// The messages from attempt 1's line on.
QStringList fromAttempt(const EngineFixture& f, int attempt = 1) {
    const QStringList all = f.messages();
    return all.mid(all.lastIndexOf(Queried.arg(attempt)));
}
}  // namespace

// Rows on port 4460: the key exchange answered by the test, the NTP server played through the
// socket in memory. The requests are read here as a server reads them, independently of the
// exchange's own codec.
class NtsExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runIsLoggedAndTheSampleAuthenticated() {
        EngineFixture f;
        std::optional<TimeSample> taken;
        connect(&f.nts, &TimeExchange::sampleTaken, &f.nts,
                [&](const TimeSample& sample) { taken = sample; });
        QVERIFY(start(f, agreed('a')));
        QCOMPARE(f.keyExchange.host, "127.0.0.1");
        QCOMPARE(f.keyExchange.port, quint16(4460));
        QCOMPARE(f.ntsSocket.host, "127.0.0.3");
        QCOMPARE(f.ntsSocket.port, 123.0);
        const Request request = read(f.ntsSocket.sent.last());
        QCOMPARE(request.cookie, agreed('a').cookies.first());
        QCOMPARE(request.uniqueId.size(), 32);
        QVERIFY(request.sealed);
        f.ntsSocket.deliver(answer(f, {"new"}));
        QCOMPARE(
            f.messages(),
            QStringList({"Update Clock button clicked:", "Attempted to connect to " + Row + ':',
                         completed(25), Queried.arg(1),
                         "Received authenticated NTP reply after 0 milliseconds: " + Offset.arg(2),
                         Accepted.arg(1), Updated}));
        QVERIFY(taken && taken->authenticated);
        QCOMPARE(taken->server, Row);
        QCOMPARE(f.setter.changes.size(), 1);
    }

    // None of these is the server's authenticated answer to the latest request: each is dropped
    // unseen, and the reply wait runs out as if nothing had come.
    void unauthenticatedReplyIsDropped_data() {
        QTest::addColumn<int>("forgery");
        QTest::newRow("plain NTP") << int(PlainNtp);
        QTest::newRow("sealed with another key") << int(AnotherKey);
        QTest::newRow("altered after sealing") << int(Altered);
        QTest::newRow("another Unique Identifier") << int(AnotherIdentifier);
        QTest::newRow("another kiss than NTSN, unsealed") << int(UnsealedKiss);
    }
    void unauthenticatedReplyIsDropped() {
        QFETCH(int, forgery);
        EngineFixture f;
        QVERIFY(start(f, agreed('a')));
        QByteArray reply =
            answer(f, {"new"}, forgery == AnotherKey ? QByteArray(32, 'x') : ServerKey);
        if (forgery == PlainNtp)
            reply = reply.first(48);
        if (forgery == Altered)
            reply[41] = char(reply[41] ^ 1);  // the server's transmit time
        if (forgery == AnotherIdentifier)
            reply[52] = char(reply[52] ^ 1);  // the identifier's first byte
        if (forgery == UnsealedKiss)
            reply = nak(f).replace(12, 4, "RATE");
        f.ntsSocket.deliver(reply);
        QCOMPARE(fromAttempt(f), QStringList{Queried.arg(1)});
        f.tickAfter(6000);
        QCOMPARE(fromAttempt(f),
                 QStringList({Queried.arg(1),
                              "Did not receive reply to attempt 1 after 6000 milliseconds.",
                              Queried.arg(2)}));
        QVERIFY(f.setter.changes.isEmpty());
    }

    // A server sends one answer to a request: a copy of it is a replay, which must neither be
    // judged again nor add its cookies twice.
    void replayedReplyIsDropped() {
        EngineFixture f;
        QVERIFY(start(f, agreed('a', 2)));
        const QByteArray erroneous = answer(f, {"new"}, ServerKey, true);
        f.ntsSocket.deliver(erroneous);
        f.ntsSocket.deliver(erroneous);
        QCOMPARE(fromAttempt(f), QStringList({Queried.arg(1),
                                              "Received authenticated NTP reply after 0 "
                                              "milliseconds: packet was erroneous."}));
        f.engine.cancelUpdate();
        f.engine.requestUpdate();
        QVERIFY(f.messages().contains(
            "NTS keys kept from an earlier key exchange: NTP server 127.0.0.3:123, 2 cookies."));
    }

    // A second NAK gives the server up, and its keys with it: the next run exchanges keys anew.
    void secondNakGivesTheServerUp() {
        EngineFixture f;
        QVERIFY(start(f, agreed('a')));
        f.ntsSocket.deliver(nak(f));
        f.keyExchange.succeed(agreed('b'));
        f.ntsSocket.accept();
        f.ntsSocket.deliver(nak(f));
        QCOMPARE(fromAttempt(f, 2),
                 QStringList({Queried.arg(2),
                              "Received NTP reply after 0 milliseconds: " + Offset.arg(0),
                              "Server refused the query (NTSN).", "Server refused the query."}));
        QVERIFY(f.engine.isIdle());
        QVERIFY(start(f, agreed('c')));
        QCOMPARE(f.keyExchange.starts, 3);
    }

    // Kept keys serve the next run while a cookie is left and for a day, asleep or not. No
    // cookie is ever sent twice, nor any Unique Identifier. With one cookie, the first run is
    // cancelled before the reply could bring more.
    void keysAreKeptBetweenRuns_data() {
        QTest::addColumn<int>("cookies");
        QTest::addColumn<qint64>("sleptMs");
        QTest::addColumn<bool>("kept");
        QTest::newRow("an hour later") << 8 << 3600000LL << true;
        QTest::newRow("asleep for a day less a millisecond") << 8 << Day - 1 << true;
        QTest::newRow("asleep for a day") << 8 << Day << false;
        QTest::newRow("no cookie left") << 1 << 0LL << false;
    }
    void keysAreKeptBetweenRuns() {
        QFETCH(int, cookies);
        QFETCH(qint64, sleptMs);
        QFETCH(bool, kept);
        EngineFixture f;
        QVERIFY(start(f, agreed('a', cookies)));
        if (cookies > 1)
            f.ntsSocket.deliver(answer(f, {"new"}));
        else
            f.engine.cancelUpdate();
        QVERIFY(f.engine.isIdle());
        f.clock.sleep(sleptMs);
        const qsizetype linesBefore = f.messages().size();
        f.engine.requestUpdate();
        QStringList begun{"Update Clock button clicked:", "Attempted to connect to " + Row + ':'};
        if (kept)
            begun.append(
                "NTS keys kept from an earlier key exchange: NTP server 127.0.0.3:123, 8 "
                "cookies.");
        QCOMPARE(f.messages().mid(linesBefore), begun);
        QCOMPARE(f.keyExchange.starts, kept ? 1 : 2);
        f.keyExchange.succeed(agreed('b'));
        f.ntsSocket.accept();
        QCOMPARE(f.ntsSocket.sent.size(), 2);
        const Request first = read(f.ntsSocket.sent[0]);
        const Request second = read(f.ntsSocket.sent[1]);
        QVERIFY(second.sealed);
        QCOMPARE(second.cookie, kept ? agreed('a').cookies[1] : agreed('b').cookies[0]);
        QVERIFY(first.uniqueId != second.uniqueId);
    }

    // Attempts that go unanswered spend a cookie each; when none is left the next attempt asks
    // for new keys first. No cookie goes out twice, no Unique Identifier is used twice.
    void spentCookiesAreNeverSentAgain() {
        EngineFixture f;
        QVERIFY(start(f, agreed('a')));
        for (int attempt = 2; attempt <= 9; ++attempt)
            f.tickAfter(6000);
        QCOMPARE(f.ntsSocket.sent.size(), 8);
        QCOMPARE(fromAttempt(f, 9), QStringList({Queried.arg(9)}));
        QCOMPARE(f.keyExchange.starts, 2);
        f.keyExchange.succeed(agreed('b'));
        f.ntsSocket.accept();
        QCOMPARE(fromAttempt(f, 9), QStringList({Queried.arg(9), completed(0), Queried.arg(10)}));
        QSet<QByteArray> cookies;
        QSet<QByteArray> uniqueIds;
        for (const QByteArray& sent : f.ntsSocket.sent) {
            cookies.insert(read(sent).cookie);
            uniqueIds.insert(read(sent).uniqueId);
        }
        QCOMPARE(cookies.size(), 9);
        QCOMPARE(uniqueIds.size(), 9);
        QVERIFY(cookies.contains(agreed('b').cookies.first()));
    }

    // The engine's connect wait bounds each key exchange, the one after a NAK afresh, and
    // aborts it when it runs out.
    void silentKeyExchangeTimesOut_data() {
        QTest::addColumn<bool>("afterNak");
        QTest::newRow("the first") << false;
        QTest::newRow("after a NAK 5 s into the reply wait") << true;
    }
    void silentKeyExchangeTimesOut() {
        QFETCH(bool, afterNak);
        EngineFixture f;
        f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("4460")}});
        f.engine.requestUpdate();
        if (afterNak) {
            f.keyExchange.succeed(agreed('a'));
            f.ntsSocket.accept();
            f.clock.advance(5000);
            f.ntsSocket.deliver(nak(f));
        }
        f.tickAfter(5999);
        QVERIFY(f.keyExchange.underWay());
        f.tickAfter(1);
        QCOMPARE(f.lastMessage(), "Connection timed out.");
        QVERIFY(!f.keyExchange.underWay());
        QCOMPARE(f.keyExchange.aborts, 1);
    }
};

QTEST_GUILESS_MAIN(NtsExchangeTest)
#include "tst_ntsexchange.moc"
