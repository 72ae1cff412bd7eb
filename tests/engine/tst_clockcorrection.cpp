#include <QSignalSpy>
#include <QTest>

#include "enginefixture.h"
#include "platform/dryrunclocksetter.h"

class ClockCorrectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serverTimeBecomesLocalTime_data();
    void serverTimeBecomesLocalTime();
    void correctionIsLogged_data();
    void correctionIsLogged();
    void successEndsRunOnFirstServer();
    void refusalIsReportedAndNothingCloses();
    void dryRunSaysWhatItWouldDo();
    void closeAfterUpdateAsksToClose();
    void unreadableDateLeadsToNextQuery();
};

namespace {
// Runs one update against a server that answers query 1 with the reply at once.
void updateFrom(EngineFixture& f, const QByteArray& reply) {
    ScriptedServer server([reply](QTcpSocket& client, const QByteArray&) { client.write(reply); });
    QVERIFY(f.queryServer(server));
    QTRY_VERIFY(f.engine.isIdle());
}
}  // namespace

void ClockCorrectionTest::serverTimeBecomesLocalTime_data() {
    QTest::addColumn<int>("bias");
    QTest::addColumn<int>("daylightBias");
    QTest::addColumn<bool>("daylightInForce");
    QTest::addColumn<int>("option");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QDateTime>("newLocal");
    QTest::addColumn<int>("optionAfter");

    const auto at = [](int y, int mo, int d, int h, int mi) {
        return wallTime(QDate(y, mo, d), QTime(h, mi));
    };
    QTest::newRow("standard time west")
        << 300 << -60 << false << 0 << QByteArray("1:06Dec26170000") << at(2026, 12, 6, 12, 0) << 0;
    QTest::newRow("daylight time west")
        << 300 << -60 << true << 0 << QByteArray("1:06Jul26170000") << at(2026, 7, 6, 13, 0) << 1;
    QTest::newRow("stale option follows the zone")
        << 300 << -60 << false << 1 << QByteArray("1:06Dec26170000") << at(2026, 12, 6, 12, 0) << 0;
    QTest::newRow("greyed option stays greyed")
        << 300 << -60 << true << 2 << QByteArray("1:06Jul26170000") << at(2026, 7, 6, 13, 0) << 2;
    QTest::newRow("no daylight saving: option as set")
        << -60 << 0 << false << 1 << QByteArray("1:31dec26233000") << at(2027, 1, 1, 0, 30) << 1;
    QTest::newRow("one-digit day")
        << 0 << 0 << false << 0 << QByteArray("1:6DEC26170000") << at(2026, 12, 6, 17, 0) << 0;
}

void ClockCorrectionTest::serverTimeBecomesLocalTime() {
    QFETCH(int, bias);
    QFETCH(int, daylightBias);
    QFETCH(bool, daylightInForce);
    QFETCH(int, option);
    QFETCH(QByteArray, reply);
    QFETCH(QDateTime, newLocal);
    QFETCH(int, optionAfter);
    EngineFixture f;
    f.zone.setInformation(bias, daylightBias);
    f.zone.setDaylightInForce(daylightInForce);
    f.settings.chkDaylightSavings = option;
    updateFrom(f, reply);

    QCOMPARE(f.setter.changes.size(), 1);
    QCOMPARE(f.setter.changes[0].newLocal, newLocal.addMSecs(500));
    QCOMPARE(f.setter.changes[0].correctionUs,
             f.clock.localNow().msecsTo(newLocal.addMSecs(500)) * 1000);
    QCOMPARE(f.settings.chkDaylightSavings, optionAfter);
}

void ClockCorrectionTest::correctionIsLogged_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("line");
    QTest::newRow("forward") << QByteArray("1:06Dec26170003")
                             << QStringLiteral(
                                    "*System clock updated from 6 Dec 2026 12:00:00 to "
                                    "6 Dec 2026 12:00:03 - a correction of +3 seconds.*");
    QTest::newRow("back") << QByteArray("1:06Dec26165957")
                          << QStringLiteral(
                                 "*System clock updated from 6 Dec 2026 12:00:00 to "
                                 "6 Dec 2026 11:59:57 - a correction of -3 seconds.*");
    QTest::newRow("none") << QByteArray("1:06Dec26170000")
                          << QStringLiteral(
                                 "*System clock updated to 6 Dec 2026 12:00:00 - "
                                 "a correction of less than a second.*");
    QTest::newRow("to midnight") << QByteArray("1:07Dec26050000")
                                 << QStringLiteral(
                                        "*System clock updated from 6 Dec 2026 12:00:00 "
                                        "to 7 Dec 2026 - a correction of +43200 seconds.*");
}

void ClockCorrectionTest::correctionIsLogged() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, line);
    EngineFixture f;
    updateFrom(f, reply);
    QCOMPARE(f.lastMessage(), line);
}

void ClockCorrectionTest::successEndsRunOnFirstServer() {
    EngineFixture f;
    ScriptedServer good(
        [](QTcpSocket& client, const QByteArray&) { client.write(ScriptedServer::reply("1")); });
    f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("0")},
                  {QStringLiteral("127.0.0.1"), good.portText()}});
    f.engine.butUpdate_Click();
    QTRY_VERIFY(f.engine.isIdle());
    QCOMPARE(f.engine.lastEndMessage(), QStringLiteral("Last updated"));
    QCOMPARE(f.tray.tooltip(), QStringLiteral("Quorvel - Last updated at 12:00:00"));
    QCOMPARE(f.servers.ListIndex(), 0);
    QVERIFY(!f.messages().contains(QStringLiteral("Last updated.")));
}

void ClockCorrectionTest::refusalIsReportedAndNothingCloses() {
    EngineFixture f;
    f.settings.chkCloseAfterUpdate = 1;
    f.setter.refusal = QStringLiteral("Operation not permitted");
    QSignalSpy close(&f.engine, &UpdateEngine::closeRequested);
    updateFrom(f, "1:06Dec26170005");
    QCOMPARE(f.messages().mid(f.messages().size() - 2),
             QStringList({QStringLiteral("*System clock could not be set to 6 Dec 2026 12:00:05 - "
                                         "Operation not permitted.*"),
                          QStringLiteral("Clock could not be set.")}));
    QCOMPARE(f.tray.tooltip(), QStringLiteral("Quorvel - Clock could not be set at 12:00:00"));
    QCOMPARE(close.size(), 0);
}

void ClockCorrectionTest::dryRunSaysWhatItWouldDo() {
    EngineFixture f;
    DryRunClockSetter dryRun;
    UpdateEngine engine(
        {f.clock, f.zone, dryRun, f.socket, f.tray, f.log, f.settings, f.servers, QLocale::c()});
    ScriptedServer server([](QTcpSocket& client, const QByteArray&) {
        client.write(ScriptedServer::reply("1", "06Dec26170009"));
    });
    f.useServers({{QStringLiteral("127.0.0.1"), server.portText()}});
    engine.butUpdate_Click();
    QTRY_VERIFY(engine.isIdle());
    QCOMPARE(f.lastMessage(), QStringLiteral("*System clock would be updated from 6 Dec 2026 "
                                             "12:00:00 to 6 Dec 2026 12:00:09 - a correction of "
                                             "+9 seconds.*"));
    QCOMPARE(engine.lastEndMessage(), QStringLiteral("Last updated"));
}

void ClockCorrectionTest::closeAfterUpdateAsksToClose() {
    EngineFixture f;
    f.settings.chkCloseAfterUpdate = 1;
    QSignalSpy close(&f.engine, &UpdateEngine::closeRequested);
    updateFrom(f, ScriptedServer::reply("1"));
    QCOMPARE(close.size(), 1);
}

void ClockCorrectionTest::unreadableDateLeadsToNextQuery() {
    EngineFixture f;
    ScriptedServer server([](QTcpSocket& client, const QByteArray& query) {
        client.write(query == "1" ? "1:31Feb26170000" : "2:01Mar26170000");
    });
    QVERIFY(f.queryServer(server));
    QTRY_VERIFY(f.engine.isIdle());
    QVERIFY(f.messages().contains(QStringLiteral("Date and time in packet could not be read.")));
    QCOMPARE(server.queries, QList<QByteArray>({"1", "2"}));
    QCOMPARE(f.setter.changes.size(), 1);
}

QTEST_GUILESS_MAIN(ClockCorrectionTest)
#include "tst_clockcorrection.moc"
