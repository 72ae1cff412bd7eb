#include <QTest>

#include "enginefixture.h"

// Replies to the third query, sent after two reply waits ran out, judged as they arrive.
class QueryExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replyIsJudged_data();
    void replyIsJudged();
    void queryIsTheAttemptNumberAlone();
    void attemptsUsedUpGiveTheServerUp();
    void replyWaitQuotesTheSetting();
    void hostileReplyCannotForgeLogLines();
    void replySplitInTwoIsJudgedTwice();

private:
    static bool reachThirdAttempt(EngineFixture& f, ScriptedServer& server);
};

bool QueryExchangeTest::reachThirdAttempt(EngineFixture& f, ScriptedServer& server) {
    if (!f.queryServer(server))
        return false;
    for (const int sent : {2, 3}) {
        f.tickAfter(6000);
        if (!QTest::qWaitFor([&] { return server.queries.size() == sent; }, 5000))
            return false;
    }
    return true;
}

void QueryExchangeTest::replyIsJudged_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("delay");
    QTest::addColumn<QString>("judgement");
    QTest::addColumn<int>("queries");

    const QString accepted = QStringLiteral("Packet was reply to attempt 3 - packet accepted:");
    const QString late = QStringLiteral("Packet was reply to attempt 3 - delay was unacceptable.");
    const QString erroneous = QStringLiteral("Packet was erroneous.");
    QTest::newRow("in time") << QByteArray("3:06Dec26170000") << 120 << accepted << 3;
    QTest::newRow("just in time") << QByteArray("3:06Dec26170000") << 999 << accepted << 3;
    QTest::newRow("delay equal to the limit") << QByteArray("3:06Dec26170000") << 1000 << late << 4;
    QTest::newRow("blanks before the number")
        << QByteArray("  3:06Dec26170000") << 5 << accepted << 3;
    QTest::newRow("earlier query")
        << QByteArray("2:06Dec26170000") << 5
        << QStringLiteral("Packet was reply to attempt 2, but it has expired.") << 3;
    QTest::newRow("zero") << QByteArray("0:06Dec26170000") << 5 << erroneous << 3;
    QTest::newRow("later query") << QByteArray("4:06Dec26170000") << 5 << erroneous << 3;
    QTest::newRow("negative") << QByteArray("-3:06Dec26170000") << 5 << erroneous << 3;
    QTest::newRow("not a number") << QByteArray("time please") << 5 << erroneous << 3;
    QTest::newRow("beyond 16 bits") << QByteArray("65539:06Dec26170000") << 5 << erroneous << 3;
    QTest::newRow("rounded half to even")
        << QByteArray("2.5:06Dec26170000") << 5
        << QStringLiteral("Packet was reply to attempt 2, but it has expired.") << 3;
}

void QueryExchangeTest::replyIsJudged() {
    QFETCH(QByteArray, reply);
    QFETCH(int, delay);
    QFETCH(QString, judgement);
    QFETCH(int, queries);
    EngineFixture f;
    ScriptedServer server;
    QVERIFY(reachThirdAttempt(f, server));

    f.clock.advance(delay);
    server.lastClient->write(reply);
    QVERIFY(f.waitForMessage(judgement));
    const QString received = QStringLiteral("Received packet \"%1\" after %2 milliseconds:")
                                 .arg(QString::fromLatin1(reply), QString::number(delay));
    QCOMPARE(f.messages().at(f.messages().indexOf(judgement) - 1), received);
    QTRY_COMPARE(server.queries.size(), queries);
}

void QueryExchangeTest::queryIsTheAttemptNumberAlone() {
    EngineFixture f;
    f.settings.replyWaitText = QStringLiteral("10");
    f.settings.attemptsText = QStringLiteral("12");
    ScriptedServer server;
    QVERIFY(f.queryServer(server));
    for (int sent = 1; sent < 12; ++sent) {
        f.tickAfter(10);
        QTRY_COMPARE(server.queries.size(), sent + 1);
    }
    QCOMPARE(server.queries.last(), QByteArray("12"));
    QCOMPARE(server.queries.first(), QByteArray("1"));
}

void QueryExchangeTest::attemptsUsedUpGiveTheServerUp() {
    EngineFixture f;
    f.settings.attemptsText = QStringLiteral("1");
    ScriptedServer server;
    QVERIFY(f.queryServer(server));
    f.tickAfter(6000);
    QCOMPARE(
        f.messages().mid(f.messages().size() - 2),
        QStringList({QStringLiteral("Did not receive reply to attempt 1 after 6000 milliseconds."),
                     QStringLiteral("Update failed too many times.")}));
    QCOMPARE(server.queries.size(), 1);
    QVERIFY(f.engine.isIdle());
}

void QueryExchangeTest::replyWaitQuotesTheSetting() {
    EngineFixture f;
    f.settings.replyWaitText = QStringLiteral("2000ms");
    ScriptedServer server;
    QVERIFY(f.queryServer(server));
    f.tickAfter(1999);
    QCOMPARE(f.engine.attempt(), 1);
    f.tickAfter(7);
    QVERIFY(f.messages().contains(
        QStringLiteral("Did not receive reply to attempt 1 after 2000ms milliseconds.")));
    QCOMPARE(f.engine.attempt(), 2);
}

void QueryExchangeTest::hostileReplyCannotForgeLogLines() {
    EngineFixture f;
    ScriptedServer server;
    QVERIFY(f.queryServer(server));
    const QByteArray forged = "1:x\r\n[12:00:00]  *System clock updated to \\ %2\x1b\xff";
    server.lastClient->write(forged);
    QVERIFY(f.waitForMessage(QStringLiteral("Date and time in packet could not be read.")));
    const QString shown = f.messages().filter(QStringLiteral("Received packet")).value(0);
    QCOMPARE(shown,
             QStringLiteral("Received packet \"1:x\\r\\n[12:00:00]  *System clock updated to "
                            "\\\\ %2\\x1B\\xFF\" after 0 milliseconds:"));
    for (const QString& line : f.log.lines())
        QCOMPARE(line.count(QStringLiteral("\r\n")), 1);
}

void QueryExchangeTest::replySplitInTwoIsJudgedTwice() {
    EngineFixture f;
    ScriptedServer server;
    QVERIFY(f.queryServer(server));
    server.lastClient->write("1:06Dec");
    QVERIFY(f.waitForMessage(QStringLiteral("Date and time in packet could not be read.")));
    QTRY_COMPARE(server.queries.size(), 2);
    server.lastClient->write("26170000");
    QVERIFY(f.waitForMessage(QStringLiteral("Packet was erroneous.")));
    QVERIFY(f.setter.changes.isEmpty());
}

QTEST_GUILESS_MAIN(QueryExchangeTest)
#include "tst_queryexchange.moc"
