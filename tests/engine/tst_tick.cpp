#include <QTest>

#include "enginefixture.h"

class TickTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectWaitEndsAtItsSetting_data();
    void connectWaitEndsAtItsSetting();
    void idleRunNeverTimesOut();
    void waitsLongerThan16BitsEnd();
    void scheduleFollowsItsOption_data();
    void scheduleFollowsItsOption();
    void displaysShowLocalAndUtcTime_data();
    void displaysShowLocalAndUtcTime();
};

void TickTest::connectWaitEndsAtItsSetting_data() {
    QTest::addColumn<QString>("timeout");
    QTest::addColumn<int>("waited");
    QTest::addColumn<bool>("timedOut");
    QTest::newRow("one short") << QStringLiteral("6000") << 5999 << false;
    QTest::newRow("reached") << QStringLiteral("6000") << 6000 << true;
    QTest::newRow("zero from the file ends at the first tick") << QStringLiteral("0") << 0 << true;
}

void TickTest::connectWaitEndsAtItsSetting() {
    QFETCH(QString, timeout);
    QFETCH(int, waited);
    QFETCH(bool, timedOut);
    EngineFixture f;
    f.settings.connectWaitText = timeout;
    // Nothing listens on the port of a closed server: the refusal has no handler of its own,
    // so only the connect wait ends the run.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString port = QString::number(closed.serverPort());
    closed.close();
    f.useServers({{QStringLiteral("127.0.0.1"), port}, {QString(), QStringLiteral("1610")}});
    f.engine.requestUpdate();
    f.tickAfter(waited);
    QCOMPARE(f.messages().contains(QStringLiteral("Connection timed out.")), timedOut);
    QCOMPARE(f.engine.runState(),
             timedOut ? UpdateEngine::RunState::Idle : UpdateEngine::RunState::Connecting);
    f.engine.cancelUpdate();
}

void TickTest::idleRunNeverTimesOut() {
    EngineFixture f;
    f.settings.connectWaitText = QStringLiteral("10");
    f.settings.replyWaitText = QStringLiteral("10");
    f.tickAfter(100000);
    QVERIFY(f.messages().isEmpty());
}

void TickTest::waitsLongerThan16BitsEnd() {
    EngineFixture f;
    f.settings.replyWaitText = QStringLiteral("40000");
    f.clock.setLocal(wallTime(QDate(2026, 12, 6), QTime(23, 59, 50)));
    ScriptedServer server;
    QVERIFY(f.queryServer(server));
    f.tickAfter(39999);
    QCOMPARE(f.engine.attempt(), 1);
    f.tickAfter(1);
    QVERIFY(f.messages().contains(
        QStringLiteral("Did not receive reply to attempt 1 after 40000 milliseconds.")));
}

void TickTest::scheduleFollowsItsOption_data() {
    QTest::addColumn<int>("schedule");
    QTest::addColumn<QString>("period");
    QTest::addColumn<qint64>("dueAfterSeconds");
    QTest::newRow("on") << 1 << QStringLiteral("1") << qint64(3600);
    QTest::newRow("off") << 0 << QStringLiteral("1") << qint64(-1);
    QTest::newRow("greyed counts as off") << 2 << QStringLiteral("1") << qint64(-1);
    QTest::newRow("a period below one hour counts as six")
        << 1 << QStringLiteral("0.5") << qint64(6 * 3600);
    QTest::newRow("fraction dropped") << 1 << QStringLiteral("2.9") << qint64(2 * 3600);
    QTest::newRow("beyond the calendar: never") << 1 << QStringLiteral("1e300") << qint64(-1);
}

void TickTest::scheduleFollowsItsOption() {
    QFETCH(int, schedule);
    QFETCH(QString, period);
    QFETCH(qint64, dueAfterSeconds);
    EngineFixture f;
    f.settings.scheduled = schedule;
    f.settings.updatePeriodText = period;
    f.engine.scheduleNextUpdate();
    f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("0")}});
    if (dueAfterSeconds > 0) {
        f.tickAfter(dueAfterSeconds * 1000 - 1000);
        QVERIFY(f.messages().isEmpty());
    }
    f.tickAfter(dueAfterSeconds > 0 ? 1000 : 30LL * 24 * 3600 * 1000);
    QCOMPARE(f.messages().contains(QStringLiteral("Scheduled update:")), dueAfterSeconds > 0);
}

void TickTest::displaysShowLocalAndUtcTime_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<QString>("utc");
    QTest::newRow("standard") << 0 << QStringLiteral("6 Dec 2026 17:00:01");
    QTest::newRow("daylight") << 1 << QStringLiteral("6 Dec 2026 16:00:01");
}

void TickTest::displaysShowLocalAndUtcTime() {
    QFETCH(int, option);
    QFETCH(QString, utc);
    EngineFixture f;
    f.settings.daylightSaving = option;
    f.tickAfter(1000);
    QCOMPARE(f.engine.yourTimeText(), QStringLiteral("6 Dec 2026 12:00:01"));
    QCOMPARE(f.engine.utcTimeText(), utc);
}

QTEST_GUILESS_MAIN(TickTest)
#include "tst_tick.moc"
