#include <QTest>

#include "enginefixture.h"
#include "support/privatenetwork.h"
#include "support/scriptedntpserver.h"

namespace {
const QHostAddress ServerAddress(QStringLiteral("127.0.0.2"));
// Names of several addresses, the first dead: a pool's, and one with IPv6 first.
const QByteArray Hosts =
    "127.0.0.3 pool.test\n127.0.0.2 pool.test\n"
    "::1 dual.test\n127.0.0.2 dual.test\n";
const QString Queried = QStringLiteral("Queried server for time - attempt 1:");
constexpr qint64 Ms = 1000000;
using Answer = ScriptedNtpServer::Answer;

// The server answers every request with its clock off ours by offsetNs.
ScriptedNtpServer::Script answering(const EngineFixture& f, Answer fields, qint64 offsetNs = 0) {
    return [&f, fields, offsetNs](ScriptedNtpServer& server, const QByteArray& request) {
        Answer answer = fields;
        answer.receivedUnixNs += f.clock.utcNowNs() + offsetNs;
        answer.sentUnixNs += f.clock.utcNowNs() + offsetNs;
        server.send(ScriptedNtpServer::answer(request, answer));
    };
}

[[nodiscard]] bool start(EngineFixture& f, const ScriptedNtpServer& server,
                         const QString& host = ServerAddress.toString()) {
    f.useServers({{host, QStringLiteral("123")}});
    f.engine.requestUpdate();
    return QTest::qWaitFor([&] { return !server.requests.isEmpty(); }, 5000);
}

// The judgement line of a reply whose offset is a whole number of seconds.
QString judged(int stratum, qint64 offsetSeconds, qint64 delayMs = 0) {
    return QStringLiteral(
               "Received NTP reply after %1 milliseconds: stratum %2, offset +%3.000 "
               "seconds, round trip %1 milliseconds:")
        .arg(delayMs)
        .arg(stratum)
        .arg(offsetSeconds);
}
}  // namespace

// Rows on port 123 against scripted NTP servers on loopback addresses of the suite's own network
// namespace, so any user may run it. The engine's clock stands still unless the test moves it,
// so T1 = T4 and offsets come out exactly as the server's timestamps say.
class NtpExchangeTest : public QObject {
    Q_OBJECT
public:
    explicit NtpExchangeTest(QString networkError) : networkError_(std::move(networkError)) {}

private Q_SLOTS:
    void initTestCase() {
        if (!networkError_.isEmpty())
            QFAIL(qPrintable("no network namespace of our own: " + networkError_));
        const ScriptedNtpServer probe(ServerAddress);
        if (!probe.bindError().isEmpty())
            QFAIL(qPrintable("cannot bind 127.0.0.2:123: " + probe.bindError()));
    }

    void correctionIsTheServersOffset_data() {
        QTest::addColumn<QDateTime>("utcNow");
        QTest::addColumn<qint64>("offsetNs");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<int>("extraUs");
        const QDate day(2026, 12, 6);
        const QDateTime noon(day, QTime(17, 0), Qt::UTC);
        const QString updated = QStringLiteral(
            "*System clock updated from %1 to %2 - a correction "
            "of %3 seconds.*");
        QTest::newRow("+3.250 s") << noon << 3250 * Ms
                                  << updated.arg("6 Dec 2026 12:00:00", "6 Dec 2026 12:00:03",
                                                 "+3.250")
                                  << QDateTime(day, QTime(17, 0, 3, 250), Qt::UTC) << 0;
        QTest::newRow("-7.5 s") << noon << -7500 * Ms
                                << updated.arg("6 Dec 2026 12:00:00", "6 Dec 2026 11:59:52",
                                               "-7.500")
                                << QDateTime(day, QTime(16, 59, 52, 500), Qt::UTC) << 0;
        QTest::newRow("below a millisecond")
            << noon << qint64(400000)
            << updated.arg("6 Dec 2026 12:00:00", "6 Dec 2026 12:00:00", "+0.000") << noon << 400;
        // The server's timestamps already count in NTP's second era, ours not yet.
        const QDateTime eraEnd(QDate(2036, 2, 7), QTime(6, 28, 15, 500), Qt::UTC);
        QTest::newRow("across 2036-02-07")
            << eraEnd << 1000 * Ms
            << updated.arg("7 Feb 2036 01:28:15", "7 Feb 2036 01:28:16", "+1.000")
            << eraEnd.addSecs(1) << 0;
        const QDateTime end32(QDate(2038, 1, 19), QTime(3, 14, 7, 500), Qt::UTC);
        QTest::newRow("across 2038-01-19")
            << end32 << 1000 * Ms
            << updated.arg("18 Jan 2038 22:14:07", "18 Jan 2038 22:14:08", "+1.000")
            << end32.addSecs(1) << 0;
    }
    void correctionIsTheServersOffset() {
        QFETCH(QDateTime, utcNow);
        QFETCH(qint64, offsetNs);
        EngineFixture f;
        f.clock.setNow(toWallTime(utcNow.addSecs(-5 * 3600)), utcNow);
        ScriptedNtpServer server(ServerAddress, answering(f, {}, offsetNs));
        QVERIFY(start(f, server));
        QTRY_VERIFY(f.engine.isIdle());
        QTEST(f.lastMessage(), "logged");
        QCOMPARE(f.setter.changes.size(), 1);
        QTEST(f.setter.changes[0].instantUtc, "instant");
        QTEST(f.setter.changes[0].instantExtraUs, "extraUs");
        QCOMPARE(f.setter.changes[0].correctionUs, offsetNs / 1000);
    }

    // Each request gets the reply under test, then a sound one 1 s ahead. A server that is not
    // synchronised is given up; nonsense is dropped and the sound reply to the same request
    // still counts. The server held each request heldMs; the exchange took exchangeMs.
    void replyIsJudged_data() {
        QTest::addColumn<int>("leap");
        QTest::addColumn<int>("stratum");
        QTest::addColumn<QByteArray>("referenceId");
        QTest::addColumn<bool>("zeroTimestamps");
        QTest::addColumn<qint64>("heldMs");
        QTest::addColumn<qint64>("exchangeMs");
        QTest::addColumn<QString>("maxPing");
        QTest::addColumn<QStringList>("logged");  // after the first query
        const QString erroneous = QStringLiteral(
            "Received NTP reply after %1 milliseconds: "
            "packet was erroneous.");
        const QStringList accepted{judged(2, 1), "Packet was reply to attempt 1 - packet accepted:",
                                   "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                                   "12:00:01 - a correction of +1.000 seconds.*"};
        const QStringList unsynchronised{"Server is not synchronised.",
                                         "Server is not synchronised."};
        QTest::newRow("zero timestamps")
            << 0 << 2 << QByteArray("GPS") << true << qint64(0) << qint64(0) << "1000"
            << QStringList{erroneous.arg(0)} + accepted;
        const QStringList held{erroneous.arg(20), judged(2, 1, 20)};
        QTest::newRow("held 5 s of a 20 ms exchange")
            << 0 << 2 << QByteArray("GPS") << false << qint64(5000) << qint64(20) << "1000"
            << held + accepted.mid(1);
        QTest::newRow("MaxPing 0 refuses every reply")
            << 0 << 2 << QByteArray("GPS") << false << qint64(5000) << qint64(20) << "0"
            << held + QStringList{"Packet was too late - packet rejected.",
                                  "Queried server for time - attempt 2:"};
        // openntpd while unsynchronised: no kiss code, and timestamps of zero.
        const qint64 toEraEnd =
            QDateTime(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC)
                .secsTo(QDateTime(QDate(2036, 2, 7), QTime(6, 28, 16), Qt::UTC));
        QTest::newRow("stratum 0 without a code")
            << 3 << 0 << QByteArray() << true << qint64(0) << qint64(0) << "1000"
            << QStringList{judged(0, toEraEnd)} + unsynchronised;
        QTest::newRow("stratum 0 with no letters") << 3 << 0
                                                   << QByteArray(
                                                          "\x01\x7f"
                                                          "AB",
                                                          4)
                                                   << false << qint64(0) << qint64(0) << "1000"
                                                   << QStringList{judged(0, 1)} + unsynchronised;
        for (const char* code : {"INIT", "STEP"})
            QTest::newRow(code) << 3 << 0 << QByteArray(code) << false << qint64(0) << qint64(0)
                                << "1000" << QStringList{judged(0, 1)} + unsynchronised;
        QTest::newRow("leap indicator 3")
            << 3 << 2 << QByteArray("GPS") << false << qint64(0) << qint64(0) << "1000"
            << QStringList{judged(2, 1)} + unsynchronised;
        QTest::newRow("stratum 16")
            << 0 << 16 << QByteArray("GPS") << false << qint64(0) << qint64(0) << "1000"
            << QStringList{judged(16, 1)} + unsynchronised;
    }
    void replyIsJudged() {
        QFETCH(int, leap);
        QFETCH(int, stratum);
        QFETCH(QByteArray, referenceId);
        QFETCH(bool, zeroTimestamps);
        QFETCH(qint64, heldMs);
        QFETCH(qint64, exchangeMs);
        QFETCH(QStringList, logged);
        EngineFixture f;
        QFETCH(QString, maxPing);
        f.settings.maxReplyDelayText = maxPing;
        ScriptedNtpServer server(
            ServerAddress, [&](ScriptedNtpServer& s, const QByteArray& request) {
                const qint64 received = f.clock.utcNowNs() + (exchangeMs / 2 + 1000) * Ms;
                f.clock.advance(exchangeMs);
                QByteArray tested = ScriptedNtpServer::answer(
                    request, {leap, stratum, referenceId, received, received + heldMs * Ms});
                if (zeroTimestamps)
                    tested.replace(32, 16, QByteArray(16, '\0'));
                s.send(tested);
                s.send(ScriptedNtpServer::answer(request, {0, 2, "GPS", received, received}));
            });
        QVERIFY(start(f, server));
        const auto after = [&] {
            const QStringList all = f.messages();
            return all.mid(all.indexOf(Queried) + 1, logged.size());
        };
        QTRY_COMPARE(after(), logged);
        QCOMPARE(f.setter.changes.size(), logged.last().startsWith("*System clock") ? 1 : 0);
    }

    // A kiss-o'-death that asks us to stop gives the server up for the rest of the walk: on the
    // wrap to the top (loop option) it is passed over without a request.
    void rateKissGivesTheServerUp() {
        EngineFixture f;
        f.settings.loopList = 1;
        f.engine.setWrapLimit(1);
        Answer kiss;
        kiss.stratum = 0;
        kiss.leap = 3;
        kiss.referenceId = "RATE";
        ScriptedNtpServer server(ServerAddress, answering(f, kiss));
        QVERIFY(start(f, server));
        QVERIFY(f.waitForMessage("Server refused the query."));
        f.tickAfter(1000);
        QTest::qWait(50);
        QCOMPARE(
            f.messages().mid(f.messages().indexOf(Queried) + 1),
            QStringList({"Received NTP reply after 0 milliseconds: stratum 0, offset +0.000 "
                         "seconds, round trip 0 milliseconds:",
                         "Server refused the query (RATE).", "Server refused the query.",
                         "Attempted to connect to 127.0.0.2:123:", "Server refused the query."}));
        QCOMPARE(server.requests.size(), 1);
        QVERIFY(f.setter.changes.isEmpty());
    }

    // A new request goes out only when the reply wait has run out, with a new transmit
    // timestamp; an answer whose origin is the first request's is then dropped unseen.
    void silenceIsRetriedAndTheOldAnswerDropped() {
        EngineFixture f;
        f.settings.replyWaitText = QStringLiteral("500");
        ScriptedNtpServer server(ServerAddress);
        QVERIFY(start(f, server));
        f.tickAfter(499);
        QTest::qWait(50);
        QCOMPARE(server.requests.size(), 1);
        f.tickAfter(1);
        QTRY_COMPARE(server.requests.size(), 2);
        const QByteArray first = server.requests[0];
        const QByteArray second = server.requests[1];
        QVERIFY(ScriptedNtpServer::transmitBits(first) != ScriptedNtpServer::transmitBits(second));

        Answer answer;
        answer.receivedUnixNs = answer.sentUnixNs = f.clock.utcNowNs() + 1000 * Ms;
        server.send(ScriptedNtpServer::answer(first, answer));
        QTest::qWait(50);
        QVERIFY(!f.engine.isIdle());
        server.send(ScriptedNtpServer::answer(second, answer));
        QTRY_VERIFY(f.engine.isIdle());
        QCOMPARE(f.messages().filter("Received NTP reply").size(), 1);
        QCOMPARE(f.lastMessage(),
                 "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                 "12:00:01 - a correction of +1.000 seconds.*");
    }

    // The attempts go to a name's addresses in turn, wrapping: a dead first one costs a reply
    // wait, not the server. The second address answers only its second request.
    void attemptsGoToEachAddressInTurn_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("deadAddress");
        QTest::newRow("pool") << "pool.test"
                              << "127.0.0.3";
        QTest::newRow("IPv6 first") << "dual.test"
                                    << "::1";
    }
    void attemptsGoToEachAddressInTurn() {
        QFETCH(QString, host);
        QFETCH(QString, deadAddress);
        EngineFixture f;
        f.settings.replyWaitText = QStringLiteral("500");
        const ScriptedNtpServer dead{QHostAddress(deadAddress)};
        QVERIFY2(dead.bindError().isEmpty(), qPrintable(dead.bindError()));
        const ScriptedNtpServer::Script answerSecond = answering(f, {}, 1000 * Ms);
        ScriptedNtpServer live(ServerAddress, [&](ScriptedNtpServer& s, const QByteArray& request) {
            if (s.requests.size() == 2)
                answerSecond(s, request);
        });
        QVERIFY(start(f, dead, host));
        for (qsizetype sent = 1; sent <= 3; ++sent) {
            QTRY_COMPARE(dead.requests.size() + live.requests.size(), sent);
            f.tickAfter(500);
        }
        QTRY_VERIFY(f.engine.isIdle());
        QCOMPARE(dead.requests.size(), 2);
        QCOMPARE(live.requests.size(), 2);
        QVERIFY(f.messages().contains("Packet was reply to attempt 4 - packet accepted:"));
        QCOMPARE(f.setter.changes.size(), 1);
    }

private:
    QString networkError_;
};

// The suite's own user and network namespace comes first, while the process has one thread.
int main(int argc, char** argv) {
    QString networkError = enterPrivateNetwork(Hosts);
    QCoreApplication app(argc, argv);
    NtpExchangeTest test(std::move(networkError));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ntpexchange.moc"
