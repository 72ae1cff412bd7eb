#include <unistd.h>
#include <QSignalSpy>
#include <QTest>

#include "enginefixture.h"
#include "support/scriptedntpserver.h"

Q_DECLARE_METATYPE(ScriptedNtpServer::Answer)

// Runs on a row on port 123 against an NTP server the test scripts, on its own loopback address.
// The engine's clock stands still unless the test moves it, so T1 = T4 and every offset and
// round trip comes out exactly as the server's timestamps make it.
class NtpExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void correctionIsTheServersOffset_data();
    void correctionIsTheServersOffset();
    void refusingServerIsGivenUp_data();
    void refusingServerIsGivenUp();
    void strayDatagramsAreDroppedUnseen_data();
    void strayDatagramsAreDroppedUnseen();
    void silenceIsRetriedOnlyAfterTheReplyWait();
    void slowRoundTripIsRejected();
    void lookUpIsBoundByTheConnectWait();

private:
    using Answer = ScriptedNtpServer::Answer;
    // The server answers every request with its clock off ours by offsetNs.
    static ScriptedNtpServer::Script answering(const EngineFixture& f, Answer fields,
                                               qint64 offsetNs = 0);
    static void start(EngineFixture& f, const ScriptedNtpServer& server);
    static QStringList after(const QStringList& messages, const QString& line);
};

namespace {
const QHostAddress ServerAddress(QStringLiteral("127.0.0.2"));
const QString Queried = QStringLiteral("Queried server for time - attempt 1:");
constexpr qint64 Ms = 1000000;
}  // namespace

void NtpExchangeTest::initTestCase() {
    const ScriptedNtpServer probe(ServerAddress);
    if (!probe.bindError().isEmpty()) {
        if (geteuid() == 0)
            QFAIL(qPrintable(QStringLiteral("cannot bind 127.0.0.2:123: ") + probe.bindError()));
        QSKIP("binding port 123 needs root");
    }
}

ScriptedNtpServer::Script NtpExchangeTest::answering(const EngineFixture& f, Answer fields,
                                                     qint64 offsetNs) {
    return [&f, fields, offsetNs](ScriptedNtpServer& server, const QByteArray& request) {
        Answer answer = fields;
        answer.receivedUnixNs += f.clock.utcNowNs() + offsetNs;
        answer.sentUnixNs += f.clock.utcNowNs() + offsetNs;
        server.send(ScriptedNtpServer::answer(request, answer));
    };
}

void NtpExchangeTest::start(EngineFixture& f, const ScriptedNtpServer& server) {
    f.useServers({{ServerAddress.toString(), QStringLiteral("123")}});
    f.engine.requestUpdate();
    QTRY_VERIFY(!server.requests.isEmpty());
}

// The messages logged after the first one equal to line.
QStringList NtpExchangeTest::after(const QStringList& messages, const QString& line) {
    return messages.mid(messages.indexOf(line) + 1);
}

void NtpExchangeTest::correctionIsTheServersOffset_data() {
    QTest::addColumn<qint64>("offsetNs");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("newTime");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<int>("extraUs");

    const QDate day(2026, 12, 6);
    QTest::newRow("+3.250 s") << 3250 * Ms << "+3.250"
                              << "12:00:03" << QDateTime(day, QTime(17, 0, 3, 250), Qt::UTC) << 0;
    QTest::newRow("-7.5 s") << -7500 * Ms << "-7.500"
                            << "11:59:52" << QDateTime(day, QTime(16, 59, 52, 500), Qt::UTC) << 0;
    QTest::newRow("below a millisecond")
        << qint64(400000) << "+0.000"
        << "12:00:00" << QDateTime(day, QTime(17, 0), Qt::UTC) << 400;
}

void NtpExchangeTest::correctionIsTheServersOffset() {
    QFETCH(qint64, offsetNs);
    QFETCH(QString, shown);
    QFETCH(QString, newTime);
    QFETCH(QDateTime, instant);
    QFETCH(int, extraUs);
    EngineFixture f;
    ScriptedNtpServer server(ServerAddress, answering(f, {}, offsetNs));
    start(f, server);
    QTRY_VERIFY(f.engine.isIdle());

    QCOMPARE(f.messages(),
             QStringList({"Update Clock button clicked:", "Attempted to connect to 127.0.0.2:123:",
                          "NTP server found after 0 milliseconds.", Queried,
                          "Received NTP reply after 0 milliseconds: stratum 2, offset " + shown +
                              " seconds, round trip 0 milliseconds:",
                          "Packet was reply to attempt 1 - packet accepted:",
                          "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 " +
                              newTime + " - a correction of " + shown + " seconds.*"}));
    QCOMPARE(f.setter.changes.size(), 1);
    QCOMPARE(f.setter.changes[0].instantUtc, instant);
    QCOMPARE(f.setter.changes[0].instantExtraUs, extraUs);
    QCOMPARE(f.setter.changes[0].correctionUs, offsetNs / 1000);
    QCOMPARE(f.engine.lastEndMessage(), QStringLiteral("Last updated"));
}

void NtpExchangeTest::refusingServerIsGivenUp_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QStringList>("judgement");
    QTest::addColumn<bool>("askedAgainOnWrap");

    Answer rate;
    rate.stratum = 0;
    rate.leap = 3;
    rate.referenceId = "RATE";
    Answer deny = rate;
    deny.referenceId = "DENY";
    Answer init = rate;
    init.referenceId = "INIT";
    Answer leap;
    leap.leap = 3;
    Answer stratum;
    stratum.stratum = 16;
    const QStringList refused{"Server refused the query (RATE).", "Server refused the query."};
    const QStringList unsynchronised{"Server is not synchronised.", "Server is not synchronised."};
    QTest::newRow("RATE") << rate << refused << false;
    QTest::newRow("DENY") << deny
                          << QStringList{"Server refused the query (DENY).",
                                         "Server refused the query."}
                          << false;
    QTest::newRow("other kiss code")
        << init << QStringList{"Server refused the query (INIT).", "Server refused the query."}
        << true;
    QTest::newRow("leap indicator 3") << leap << unsynchronised << true;
    QTest::newRow("stratum 16") << stratum << unsynchronised << true;
}

// The server is given up at once; on the walk's wrap to the top (loop option) a server that
// asked us to stop is passed over without a request.
void NtpExchangeTest::refusingServerIsGivenUp() {
    QFETCH(Answer, answer);
    QFETCH(QStringList, judgement);
    QFETCH(bool, askedAgainOnWrap);
    EngineFixture f;
    f.settings.loopList = 1;
    f.engine.setWrapLimit(1);
    ScriptedNtpServer server(ServerAddress, answering(f, answer));
    start(f, server);
    QTRY_COMPARE(f.messages().size(), 7);
    const int stratum = answer.stratum;
    QCOMPARE(after(f.messages(), Queried),
             QStringList{QStringLiteral("Received NTP reply after 0 milliseconds: stratum %1, "
                                        "offset +0.000 seconds, round trip 0 milliseconds:")
                             .arg(stratum)} +
                 judgement);
    QVERIFY(f.setter.changes.isEmpty());

    f.tickAfter(1000);
    if (askedAgainOnWrap) {
        QTRY_COMPARE(server.requests.size(), 2);
    } else {
        QCOMPARE(f.messages().mid(7), QStringList({"Attempted to connect to 127.0.0.2:123:",
                                                   "Server refused the query."}));
        QTest::qWait(50);
        QCOMPARE(server.requests.size(), 1);
    }
}

void NtpExchangeTest::strayDatagramsAreDroppedUnseen_data() {
    QTest::addColumn<ScriptedNtpServer::Script>("stray");

    using S = ScriptedNtpServer;
    QTest::newRow("wrong origin") << S::Script([](S& server, const QByteArray& request) {
        Answer wrong;
        wrong.origin = S::transmitBits(request) + 1;
        server.send(S::answer(request, wrong));
    });
    QTest::newRow("another port") << S::Script([](S& server, const QByteArray& request) {
        server.sendFromOtherPort(S::answer(request, {}));
    });
    QTest::newRow("short packet") << S::Script([](S& server, const QByteArray& request) {
        Answer cut;
        cut.size = 47;
        server.send(S::answer(request, cut));
    });
    QTest::newRow("client mode") << S::Script([](S& server, const QByteArray& request) {
        Answer client;
        client.mode = 3;
        server.send(S::answer(request, client));
    });
}

// A datagram that is no answer to our latest request neither ends the run nor shows in the log:
// the true answer right behind it is taken.
void NtpExchangeTest::strayDatagramsAreDroppedUnseen() {
    QFETCH(ScriptedNtpServer::Script, stray);
    EngineFixture f;
    const ScriptedNtpServer::Script good = answering(f, {}, 2 * 1000 * Ms);
    ScriptedNtpServer server(ServerAddress, [&](ScriptedNtpServer& s, const QByteArray& request) {
        stray(s, request);
        good(s, request);
    });
    start(f, server);
    QTRY_VERIFY(f.engine.isIdle());
    QCOMPARE(after(f.messages(), Queried).mid(0, 2),
             QStringList({"Received NTP reply after 0 milliseconds: stratum 2, offset +2.000 "
                          "seconds, round trip 0 milliseconds:",
                          "Packet was reply to attempt 1 - packet accepted:"}));
    QCOMPARE(f.setter.changes.size(), 1);
}

// A new request goes out only when the reply wait has run out, with a new transmit timestamp;
// the late answer to the first request is then no answer.
void NtpExchangeTest::silenceIsRetriedOnlyAfterTheReplyWait() {
    EngineFixture f;
    f.settings.replyWaitText = QStringLiteral("500");
    ScriptedNtpServer server(ServerAddress);
    start(f, server);
    f.tickAfter(499);
    QTest::qWait(50);
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(f.lastMessage(), Queried);

    f.tickAfter(1);
    QTRY_COMPARE(server.requests.size(), 2);
    QCOMPARE(after(f.messages(), Queried),
             QStringList({"Did not receive reply to attempt 1 after 500 milliseconds.",
                          "Queried server for time - attempt 2:"}));
    const QByteArray first = server.requests[0];
    const QByteArray second = server.requests[1];
    QVERIFY(ScriptedNtpServer::transmitBits(first) != ScriptedNtpServer::transmitBits(second));

    Answer lateAnswer;
    lateAnswer.receivedUnixNs = lateAnswer.sentUnixNs = f.clock.utcNowNs();
    server.send(ScriptedNtpServer::answer(first, lateAnswer));
    server.send(ScriptedNtpServer::answer(second, lateAnswer));
    QTRY_VERIFY(f.engine.isIdle());
    QCOMPARE(after(f.messages(), QStringLiteral("Queried server for time - attempt 2:")).mid(0, 2),
             QStringList({"Received NTP reply after 0 milliseconds: stratum 2, offset +0.000 "
                          "seconds, round trip 0 milliseconds:",
                          "Packet was reply to attempt 2 - packet accepted:"}));
}

// Round trip 300 ms (the server held the request for -300 ms, as a forged or broken answer may
// say) is not below MaxPing 200: rejected, and the next query follows.
void NtpExchangeTest::slowRoundTripIsRejected() {
    EngineFixture f;
    f.settings.maxReplyDelayText = QStringLiteral("200");
    f.settings.attemptsText = QStringLiteral("1");
    Answer slow;
    slow.receivedUnixNs = 300 * Ms;
    ScriptedNtpServer server(ServerAddress, answering(f, slow));
    start(f, server);
    QTRY_VERIFY(f.engine.isIdle());
    QCOMPARE(
        after(f.messages(), Queried),
        QStringList({"Received NTP reply after 0 milliseconds: stratum 2, offset +0.150 "
                     "seconds, round trip 300 milliseconds:",
                     "Packet was too late - packet rejected.", "Update failed too many times."}));
    QVERIFY(f.setter.changes.isEmpty());
}

// A name that is never found leaves the run to its connect wait, as a silent TCP server does.
void NtpExchangeTest::lookUpIsBoundByTheConnectWait() {
    EngineFixture f;
    f.useServers({{QStringLiteral("no-such-host.invalid"), QStringLiteral("123")}});
    f.engine.requestUpdate();
    f.tickAfter(5999);
    QCOMPARE(f.lastMessage(), QStringLiteral("Attempted to connect to no-such-host.invalid:123:"));
    f.tickAfter(1);
    QCOMPARE(f.lastMessage(), QStringLiteral("Connection timed out."));
    QVERIFY(f.engine.isIdle());
}

QTEST_GUILESS_MAIN(NtpExchangeTest)
#include "tst_ntpexchange.moc"
