#include <unistd.h>
#include <QTest>

#include "enginefixture.h"
#include "support/scriptedntpserver.h"

namespace {
const QHostAddress ServerAddress(QStringLiteral("127.0.0.2"));
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

[[nodiscard]] bool start(EngineFixture& f, const ScriptedNtpServer& server) {
    f.useServers({{ServerAddress.toString(), QStringLiteral("123")}});
    f.engine.requestUpdate();
    return QTest::qWaitFor([&] { return !server.requests.isEmpty(); }, 5000);
}
}  // namespace

// Rows on port 123 against a scripted NTP server on its own loopback address. The engine's
// clock stands still, so T1 = T4 and offsets come out exactly as the server's timestamps say.
class NtpExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        const ScriptedNtpServer probe(ServerAddress);
        if (!probe.bindError().isEmpty()) {
            if (geteuid() == 0)
                QFAIL(qPrintable("cannot bind 127.0.0.2:123: " + probe.bindError()));
            QSKIP("binding port 123 needs root");
        }
    }

    void correctionIsTheServersOffset_data() {
        QTest::addColumn<qint64>("offsetNs");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("newTime");
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<int>("extraUs");
        const QDate day(2026, 12, 6);
        QTest::newRow("+3.250 s") << 3250 * Ms << "+3.250"
                                  << "12:00:03" << QDateTime(day, QTime(17, 0, 3, 250), Qt::UTC)
                                  << 0;
        QTest::newRow("-7.5 s") << -7500 * Ms << "-7.500"
                                << "11:59:52" << QDateTime(day, QTime(16, 59, 52, 500), Qt::UTC)
                                << 0;
        QTest::newRow("below a millisecond")
            << qint64(400000) << "+0.000"
            << "12:00:00" << QDateTime(day, QTime(17, 0), Qt::UTC) << 400;
    }
    void correctionIsTheServersOffset() {
        QFETCH(qint64, offsetNs);
        QFETCH(QString, shown);
        QFETCH(QString, newTime);
        EngineFixture f;
        ScriptedNtpServer server(ServerAddress, answering(f, {}, offsetNs));
        QVERIFY(start(f, server));
        QTRY_VERIFY(f.engine.isIdle());
        QCOMPARE(f.lastMessage(), "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 " +
                                      newTime + " - a correction of " + shown + " seconds.*");
        QCOMPARE(f.setter.changes.size(), 1);
        QTEST(f.setter.changes[0].instantUtc, "instant");
        QTEST(f.setter.changes[0].instantExtraUs, "extraUs");
        QCOMPARE(f.setter.changes[0].correctionUs, offsetNs / 1000);
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
};

QTEST_GUILESS_MAIN(NtpExchangeTest)
#include "tst_ntpexchange.moc"
