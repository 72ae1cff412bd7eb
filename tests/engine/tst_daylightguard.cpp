#include <QTest>

#include "enginefixture.h"

class DaylightGuardTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void jumpSwitchesOptionAndCancelsRun_data();
    void jumpSwitchesOptionAndCancelsRun();
    void ownCorrectionIsNoDaylightChange();
    void suspendIsNoDaylightChange_data();
    void suspendIsNoDaylightChange();
};

namespace {
QDateTime at(int h, int m, int s) {
    return wallTime(QDate(2026, 3, 29), QTime(h, m, s));
}
}  // namespace

void DaylightGuardTest::jumpSwitchesOptionAndCancelsRun_data() {
    QTest::addColumn<int>("daylightShift");
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("optionBefore");
    QTest::addColumn<int>("optionAfter");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("tooltip");

    const QString start = QStringLiteral(
        "Update cancelled due to possible confusion caused by change to daylight savings time.");
    const QString end = QStringLiteral(
        "Update cancelled due to possible confusion caused by change back to standard time.");
    QTest::newRow("forward during a run")
        << -60 << at(2, 15, 20) << at(3, 15, 20) << true << 0 << 1 << start
        << "Quorvel - Update cancelled due to start of DST at 03:15:20";
    QTest::newRow("back during a run")
        << -60 << at(3, 15, 20) << at(2, 15, 20) << true << 1 << 0 << end
        << "Quorvel - Update cancelled due to end of DST at 02:15:20";
    QTest::newRow("forward while idle")
        << -60 << at(2, 15, 20) << at(3, 15, 20) << false << 0 << 1 << QString() << QString();
    QTest::newRow("set even when set")
        << -60 << at(2, 15, 20) << at(3, 15, 20) << false << 2 << 1 << QString() << QString();
    QTest::newRow("no daylight shift")
        << 0 << at(2, 15, 20) << at(3, 15, 20) << true << 0 << 0 << QString() << QString();
    QTest::newRow("two hours") << -60 << at(1, 15, 20) << at(3, 15, 20) << true << 0 << 0
                               << QString() << QString();
    QTest::newRow("half-hour zone")
        << -30 << at(2, 0, 0) << at(2, 30, 0) << false << 0 << 1 << QString() << QString();
}

void DaylightGuardTest::jumpSwitchesOptionAndCancelsRun() {
    QFETCH(int, daylightShift);
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(bool, running);
    QFETCH(int, optionBefore);
    QFETCH(int, optionAfter);
    QFETCH(QString, message);
    QFETCH(QString, tooltip);
    EngineFixture f;
    f.zone.setOffsets(300, daylightShift);
    f.settings.daylightSaving = optionBefore;
    f.clock.setLocal(from.addSecs(-1));
    f.tickAfter(1000);
    ScriptedServer server;
    if (running)
        QVERIFY(f.queryServer(server));
    const int before = f.messages().size();

    f.clock.setLocal(to.addSecs(-1));
    f.tickAfter(1000);
    QCOMPARE(f.settings.daylightSaving, optionAfter);
    QCOMPARE(f.messages().mid(before), message.isEmpty() ? QStringList() : QStringList{message});
    if (!tooltip.isEmpty()) {
        QCOMPARE(f.tray.tooltip(), tooltip);
        QVERIFY(f.engine.updateEnabled());
    }
}

void DaylightGuardTest::ownCorrectionIsNoDaylightChange() {
    EngineFixture f;
    f.zone.setOffsets(0, -60);
    f.tickAfter(1000);
    ScriptedServer server([](QTcpSocket& client, const QByteArray&) {
        client.write(ScriptedServer::reply("1", "06Dec26130001"));
    });
    QVERIFY(f.queryServer(server));
    QTRY_VERIFY(f.engine.isIdle());
    f.clock.setLocal(wallTime(QDate(2026, 12, 6), QTime(13, 0, 1, 500)));  // as now set
    f.tickAfter(1000);
    QCOMPARE(f.settings.daylightSaving, 0);
    f.tickAfter(1000);
    QCOMPARE(f.settings.daylightSaving, 0);
}

// The machine slept between two ticks: the sleep itself is no jump, and a change of daylight-
// saving time that happened meanwhile is still seen.
void DaylightGuardTest::suspendIsNoDaylightChange_data() {
    QTest::addColumn<QDateTime>("before");
    QTest::addColumn<qint64>("asleepMs");
    QTest::addColumn<QDateTime>("after");
    QTest::addColumn<int>("option");
    QTest::newRow("an hour asleep") << at(0, 30, 0) << qint64(3600000) << at(1, 30, 0) << 0;
    QTest::newRow("a day asleep") << at(0, 30, 0) << qint64(86400000) << at(0, 30, 0).addDays(1)
                                  << 0;
    QTest::newRow("change while asleep") << at(1, 30, 0) << qint64(7200000) << at(4, 30, 0) << 1;
}

void DaylightGuardTest::suspendIsNoDaylightChange() {
    QFETCH(QDateTime, before);
    QFETCH(qint64, asleepMs);
    QFETCH(QDateTime, after);
    EngineFixture f;
    f.zone.setOffsets(300, -60);
    f.clock.setLocal(before);
    f.tickAfter(1000);
    f.clock.sleep(asleepMs);
    f.clock.setLocal(after);
    f.engine.tick();
    QTEST(f.settings.daylightSaving, "option");
    QVERIFY(f.messages().isEmpty());
}

QTEST_GUILESS_MAIN(DaylightGuardTest)
#include "tst_daylightguard.moc"
