#include <QTest>

#include "enginefixture.h"
#include "support/scriptedntpserver.h"

namespace {
const QString Queried = QStringLiteral("Queried server for time - attempt 1:");
constexpr qint64 Ms = 1000000;
using Answer = ScriptedNtpServer::Answer;

// Starts a run on an NTP row whose server is found; true when request 1 went out.
[[nodiscard]] bool start(EngineFixture& f) {
    f.useServers({{QStringLiteral("127.0.0.2"), QStringLiteral("123")}});
    f.engine.requestUpdate();
    f.ntpSocket.accept();
    return f.ntpSocket.sent.size() == 1;
}

// The server answers the latest request with its clock off ours by offsetNs.
void answer(EngineFixture& f, Answer fields, qint64 offsetNs = 0) {
    fields.receivedUnixNs += f.clock.utcNowNs() + offsetNs;
    fields.sentUnixNs += f.clock.utcNowNs() + offsetNs;
    f.ntpSocket.deliver(ScriptedNtpServer::answer(f.ntpSocket.sent.last(), fields));
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

// Rows on port 123, the test answering for the server through the socket in memory. The engine's
// clock stands still unless the test moves it, so T1 = T4 and offsets come out exactly as the
// server's timestamps say.
class NtpExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void correctionIsTheServersOffset_data() {
        QTest::addColumn<qint64>("offsetNs");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<int>("extraUs");
        const QString updated = QStringLiteral(
            "*System clock updated from 6 Dec 2026 12:00:00 to %1 - a correction of %2 seconds.*");
        const QDate day(2026, 12, 6);
        QTest::newRow("-7.5 s") << -7500 * Ms << updated.arg("6 Dec 2026 11:59:52", "-7.500")
                                << QDateTime(day, QTime(16, 59, 52, 500), Qt::UTC) << 0;
        QTest::newRow("below a millisecond")
            << qint64(400000) << updated.arg("6 Dec 2026 12:00:00", "+0.000")
            << QDateTime(day, QTime(17, 0), Qt::UTC) << 400;
    }
    void correctionIsTheServersOffset() {
        QFETCH(qint64, offsetNs);
        EngineFixture f;
        QVERIFY(start(f));
        answer(f, {}, offsetNs);
        QVERIFY(f.engine.isIdle());
        QTEST(f.lastMessage(), "logged");
        QCOMPARE(f.setter.changes.size(), 1);
        QTEST(f.setter.changes[0].instantUtc, "instant");
        QTEST(f.setter.changes[0].instantExtraUs, "extraUs");
        QCOMPARE(f.setter.changes[0].correctionUs, offsetNs / 1000);
    }

    // Each request gets the reply under test, then a sound one 1 s ahead. A server that is not
    // synchronised is given up; nonsense is dropped and the sound reply to the same request
    // still counts. A held reply: the server held the request 5 s of a 20 ms exchange.
    void replyIsJudged_data() {
        QTest::addColumn<int>("leap");
        QTest::addColumn<int>("stratum");
        QTest::addColumn<QByteArray>("referenceId");
        QTest::addColumn<bool>("zeroTimestamps");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("maxPing");
        QTest::addColumn<QStringList>("logged");  // after the first query
        const auto row = [](const char* name, const QStringList& logged, int leap = 0,
                            int stratum = 2, const QByteArray& referenceId = "GPS",
                            bool zeroTimestamps = false, bool held = false,
                            const char* maxPing = "1000") {
            QTest::newRow(name) << leap << stratum << referenceId << zeroTimestamps << held
                                << QString::fromLatin1(maxPing) << logged;
        };
        const QString erroneous =
            QStringLiteral("Received NTP reply after %1 milliseconds: packet was erroneous.");
        const QStringList accepted{judged(2, 1), "Packet was reply to attempt 1 - packet accepted:",
                                   "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                                   "12:00:01 - a correction of +1.000 seconds.*"};
        const QStringList unsynchronised{"Server is not synchronised.",
                                         "Server is not synchronised."};
        const QStringList held{erroneous.arg(20), judged(2, 1, 20)};
        row("zero timestamps", QStringList{erroneous.arg(0)} + accepted, 0, 2, "GPS", true);
        row("held 5 s of a 20 ms exchange", held + accepted.mid(1), 0, 2, "GPS", false, true);
        row("MaxPing 0 refuses every reply",
            held + QStringList{"Packet was too late - packet rejected.",
                               "Queried server for time - attempt 2:"},
            0, 2, "GPS", false, true, "0");
        // openntpd while unsynchronised: no kiss code, and timestamps of zero.
        const qint64 toEraEnd =
            QDateTime(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC)
                .secsTo(QDateTime(QDate(2036, 2, 7), QTime(6, 28, 16), Qt::UTC));
        row("stratum 0 without a code", QStringList{judged(0, toEraEnd)} + unsynchronised, 3, 0,
            QByteArray(), true);
        row("stratum 0 with no letters", QStringList{judged(0, 1)} + unsynchronised, 3, 0,
            QByteArray::fromHex("017f4142"));
        for (const char* code : {"INIT", "STEP"})
            row(code, QStringList{judged(0, 1)} + unsynchronised, 3, 0, code);
        row("leap indicator 3", QStringList{judged(2, 1)} + unsynchronised, 3);
        row("stratum 16", QStringList{judged(16, 1)} + unsynchronised, 0, 16);
    }
    void replyIsJudged() {
        QFETCH(int, leap);
        QFETCH(int, stratum);
        QFETCH(QByteArray, referenceId);
        QFETCH(bool, zeroTimestamps);
        QFETCH(bool, held);
        QFETCH(QStringList, logged);
        const qint64 heldMs = held ? 5000 : 0;
        const qint64 exchangeMs = held ? 20 : 0;
        EngineFixture f;
        QFETCH(QString, maxPing);
        f.settings.maxReplyDelayText = maxPing;
        QVERIFY(start(f));
        const QByteArray request = f.ntpSocket.sent.last();
        const qint64 received = f.clock.utcNowNs() + (exchangeMs / 2 + 1000) * Ms;
        f.clock.advance(exchangeMs);
        QByteArray tested = ScriptedNtpServer::answer(
            request, {leap, stratum, referenceId, received, received + heldMs * Ms});
        if (zeroTimestamps)
            tested.replace(32, 16, QByteArray(16, '\0'));
        f.ntpSocket.deliver(tested);
        f.ntpSocket.deliver(ScriptedNtpServer::answer(request, {0, 2, "GPS", received, received}));
        const QStringList all = f.messages();
        QCOMPARE(all.mid(all.indexOf(Queried) + 1, logged.size()), logged);
        QCOMPARE(f.setter.changes.size(), logged.last().startsWith("*System clock") ? 1 : 0);
    }

    // A kiss-o'-death that asks us to stop gives the server up for the rest of the walk: on the
    // wrap to the top (loop option) it is passed over without a request.
    void rateKissGivesTheServerUp() {
        EngineFixture f;
        f.settings.loopList = 1;
        f.engine.setWrapLimit(1);
        QVERIFY(start(f));
        answer(f, {3, 0, "RATE"});
        f.tickAfter(1000);
        QCOMPARE(f.messages().mid(f.messages().indexOf(Queried) + 1),
                 QStringList(
                     {judged(0, 0), "Server refused the query (RATE).", "Server refused the query.",
                      "Attempted to connect to 127.0.0.2:123:", "Server refused the query."}));
        QCOMPARE(f.ntpSocket.sent.size(), 1);
        QVERIFY(f.setter.changes.isEmpty());
    }

    // A new request goes out only when the reply wait has run out, with a new transmit
    // timestamp; an answer whose origin is the first request's is then dropped unseen.
    void silenceIsRetriedAndTheOldAnswerDropped() {
        EngineFixture f;
        f.settings.replyWaitText = QStringLiteral("500");
        QVERIFY(start(f));
        f.tickAfter(499);
        QCOMPARE(f.ntpSocket.sent.size(), 1);
        f.tickAfter(1);
        QCOMPARE(f.ntpSocket.sent.size(), 2);
        const QByteArray first = f.ntpSocket.sent[0];
        const QByteArray second = f.ntpSocket.sent[1];
        QVERIFY(ScriptedNtpServer::transmitBits(first) != ScriptedNtpServer::transmitBits(second));
        Answer fields;
        fields.receivedUnixNs = fields.sentUnixNs = f.clock.utcNowNs() + 1000 * Ms;
        f.ntpSocket.deliver(ScriptedNtpServer::answer(first, fields));
        QVERIFY(!f.engine.isIdle());
        f.ntpSocket.deliver(ScriptedNtpServer::answer(second, fields));
        QVERIFY(f.engine.isIdle());
        QCOMPARE(f.messages().filter("Received NTP reply").size(), 1);
        QCOMPARE(f.lastMessage(),
                 "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                 "12:00:01 - a correction of +1.000 seconds.*");
    }
};

QTEST_GUILESS_MAIN(NtpExchangeTest)
#include "tst_ntpexchange.moc"
