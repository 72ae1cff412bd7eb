#include <time.h>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "enginefixture.h"
#include "platform/dryrunclocksetter.h"

class ClockCorrectionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serverTimeBecomesLocalTime_data();
    void serverTimeBecomesLocalTime();
    void stepIsTakenBetweenUtcInstants_data();
    void stepIsTakenBetweenUtcInstants();
    void runWaitsForALateAnswer_data();
    void runWaitsForALateAnswer();
    void cancelledRunIgnoresItsLateAnswer_data();
    void cancelledRunIgnoresItsLateAnswer();
    void ownStepWhileWaitingIsNoDaylightChange();
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

// The fixture's clock shows 6 Dec 2026 12:00:00 at 17:00:00 UTC. The instant set is the
// server's second plus half a second; the step runs from 17:00:00 UTC to it.
void ClockCorrectionTest::serverTimeBecomesLocalTime_data() {
    QTest::addColumn<int>("standardOffset");
    QTest::addColumn<int>("daylightShift");
    QTest::addColumn<bool>("daylightInForce");
    QTest::addColumn<int>("option");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shownNewTime");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<qint64>("correctionUs");
    QTest::addColumn<int>("optionAfter");

    const auto utc = [](int y, int mo, int d, int h, int mi) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, 0, 500), Qt::UTC);
    };
    const qint64 day = 86'400'000'000;
    const qint64 hour = 3'600'000'000;
    // From 6 Dec back to 6 Jul is 153 days, whatever the two local times show.
    QTest::newRow("standard time west")
        << 300 << -60 << false << 0 << QByteArray("1:06Dec26170000") << "6 Dec 2026 12:00:00"
        << utc(2026, 12, 6, 17, 0) << qint64(500'000) << 0;
    QTest::newRow("daylight time west")
        << 300 << -60 << true << 0 << QByteArray("1:06Jul26170000") << "6 Jul 2026 13:00:00"
        << utc(2026, 7, 6, 17, 0) << -153 * day + 500'000 << 1;
    QTest::newRow("stale option follows the zone")
        << 300 << -60 << false << 1 << QByteArray("1:06Dec26170000") << "6 Dec 2026 12:00:00"
        << utc(2026, 12, 6, 17, 0) << qint64(500'000) << 0;
    QTest::newRow("greyed option stays greyed")
        << 300 << -60 << true << 2 << QByteArray("1:06Jul26170000") << "6 Jul 2026 13:00:00"
        << utc(2026, 7, 6, 17, 0) << -153 * day + 500'000 << 2;
    QTest::newRow("no daylight saving: option as set")
        << -60 << 0 << false << 1 << QByteArray("1:31dec26233000") << "1 Jan 2027 00:30:00"
        << utc(2026, 12, 31, 23, 30) << 25 * day + 6 * hour + 1'800'500'000 << 1;
    QTest::newRow("one-digit day")
        << 0 << 0 << false << 0 << QByteArray("1:6DEC26170000") << "6 Dec 2026 17:00:00"
        << utc(2026, 12, 6, 17, 0) << qint64(500'000) << 0;
}

void ClockCorrectionTest::serverTimeBecomesLocalTime() {
    QFETCH(int, standardOffset);
    QFETCH(int, daylightShift);
    QFETCH(bool, daylightInForce);
    QFETCH(int, option);
    QFETCH(QByteArray, reply);
    QFETCH(QString, shownNewTime);
    QFETCH(QDateTime, instant);
    QFETCH(qint64, correctionUs);
    QFETCH(int, optionAfter);
    EngineFixture f;
    f.zone.setOffsets(standardOffset, daylightShift);
    f.zone.setDaylightInForce(daylightInForce);
    f.settings.daylightSaving = option;
    updateFrom(f, reply);

    QCOMPARE(f.setter.changes.size(), 1);
    QCOMPARE(f.setter.changes[0].instantUtc, instant);
    QCOMPARE(f.setter.changes[0].correctionUs, correctionUs);
    QVERIFY2(
        f.lastMessage().contains(QStringLiteral(" to ") + shownNewTime + QStringLiteral(" - ")),
        qPrintable(f.lastMessage()));
    QCOMPARE(f.settings.daylightSaving, optionAfter);
}

// Real zones, by their rules for 2026 (each a UTC offset, in hours):
// New York -5, daylight -4 from 8 Mar 07:00 UTC to 1 Nov 06:00 UTC;
// Sydney +11, standard +10 from 4 Apr 16:00 UTC to 3 Oct 16:00 UTC;
// Dublin 0, daylight +1 from 29 Mar 01:00 UTC to 25 Oct 01:00 UTC.
// Each case gives the clock's local time and the UTC instant it stands for; the server's time
// is the instant to set, half a second on. The log shows the two local times and their
// difference, which across a change is an hour off the step.
void ClockCorrectionTest::stepIsTakenBetweenUtcInstants_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("local");
    QTest::addColumn<QDateTime>("utc");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QDateTime>("instant");
    QTest::addColumn<qint64>("correctionUs");
    QTest::addColumn<QString>("line");

    const auto wall = [](int mo, int d, int h, int mi, int s = 0) {
        return wallTime(QDate(2026, mo, d), QTime(h, mi, s));
    };
    const auto utc = [](int mo, int d, int h, int mi, int s = 0, int ms = 0) {
        return QDateTime(QDate(2026, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    };
    const qint64 twoMinutesAndAHalfSecond = 120'500'000;
    QTest::newRow("New York, winter")
        << QByteArray("America/New_York") << wall(1, 15, 12, 0) << utc(1, 15, 17, 0)
        << QByteArray("1:15Jan26170003") << utc(1, 15, 17, 0, 3, 500) << qint64(3'500'000)
        << "from 15 Jan 2026 12:00:00 to 15 Jan 2026 12:00:03 - a correction of +3 seconds.";
    QTest::newRow("New York, summer")
        << QByteArray("America/New_York") << wall(7, 15, 12, 0) << utc(7, 15, 16, 0)
        << QByteArray("1:15Jul26155957") << utc(7, 15, 15, 59, 57, 500) << qint64(-2'500'000)
        << "from 15 Jul 2026 12:00:00 to 15 Jul 2026 11:59:57 - a correction of -3 seconds.";
    QTest::newRow("New York, December, server in July")
        << QByteArray("America/New_York") << wall(12, 6, 12, 0) << utc(12, 6, 17, 0)
        << QByteArray("1:06Jul26170000") << utc(7, 6, 17, 0, 0, 500)
        << -153 * qint64(86'400'000'000) + 500'000
        << "from 6 Dec 2026 12:00:00 to 6 Jul 2026 13:00:00 - a correction of -13215600 seconds.";
    QTest::newRow("New York, across the spring change")
        << QByteArray("America/New_York") << wall(3, 8, 1, 59) << utc(3, 8, 6, 59)
        << QByteArray("1:08Mar26070100") << utc(3, 8, 7, 1, 0, 500) << twoMinutesAndAHalfSecond
        << "from 8 Mar 2026 01:59:00 to 8 Mar 2026 03:01:00 - a correction of +3720 seconds.";
    QTest::newRow("New York, across the autumn change")
        << QByteArray("America/New_York") << wall(11, 1, 1, 59) << utc(11, 1, 5, 59)
        << QByteArray("1:01Nov26060100") << utc(11, 1, 6, 1, 0, 500) << twoMinutesAndAHalfSecond
        << "from 1 Nov 2026 01:59:00 to 1 Nov 2026 01:01:00 - a correction of -3480 seconds.";
    QTest::newRow("Sydney, summer")
        << QByteArray("Australia/Sydney") << wall(1, 15, 12, 0) << utc(1, 15, 1, 0)
        << QByteArray("1:15Jan26010005") << utc(1, 15, 1, 0, 5, 500) << qint64(5'500'000)
        << "from 15 Jan 2026 12:00:00 to 15 Jan 2026 12:00:05 - a correction of +5 seconds.";
    QTest::newRow("Sydney, winter")
        << QByteArray("Australia/Sydney") << wall(7, 15, 23, 59, 59) << utc(7, 15, 13, 59, 59)
        << QByteArray("1:15Jul26140001") << utc(7, 15, 14, 0, 1, 500) << qint64(2'500'000)
        << "from 15 Jul 2026 23:59:59 to 16 Jul 2026 00:00:01 - a correction of +2 seconds.";
    QTest::newRow("Sydney, across the autumn change")
        << QByteArray("Australia/Sydney") << wall(4, 5, 2, 59) << utc(4, 4, 15, 59)
        << QByteArray("1:04Apr26160100") << utc(4, 4, 16, 1, 0, 500) << twoMinutesAndAHalfSecond
        << "from 5 Apr 2026 02:59:00 to 5 Apr 2026 02:01:00 - a correction of -3480 seconds.";
    QTest::newRow("Sydney, across the spring change")
        << QByteArray("Australia/Sydney") << wall(10, 4, 1, 59) << utc(10, 3, 15, 59)
        << QByteArray("1:03Oct26160100") << utc(10, 3, 16, 1, 0, 500) << twoMinutesAndAHalfSecond
        << "from 4 Oct 2026 01:59:00 to 4 Oct 2026 03:01:00 - a correction of +3720 seconds.";
    QTest::newRow("Dublin, summer")
        << QByteArray("Europe/Dublin") << wall(7, 15, 12, 0) << utc(7, 15, 11, 0)
        << QByteArray("1:15Jul26110000") << utc(7, 15, 11, 0, 0, 500) << qint64(500'000)
        << "to 15 Jul 2026 12:00:00 - a correction of less than a second.";
    QTest::newRow("Dublin, across the spring change")
        << QByteArray("Europe/Dublin") << wall(3, 29, 0, 59) << utc(3, 29, 0, 59)
        << QByteArray("1:29Mar26010100") << utc(3, 29, 1, 1, 0, 500) << twoMinutesAndAHalfSecond
        << "from 29 Mar 2026 00:59:00 to 29 Mar 2026 02:01:00 - a correction of +3720 seconds.";
    QTest::newRow("Dublin, across the autumn change")
        << QByteArray("Europe/Dublin") << wall(10, 25, 1, 59) << utc(10, 25, 0, 59)
        << QByteArray("1:25Oct26010100") << utc(10, 25, 1, 1, 0, 500) << twoMinutesAndAHalfSecond
        << "from 25 Oct 2026 01:59:00 to 25 Oct 2026 01:01:00 - a correction of -3480 seconds.";
}

void ClockCorrectionTest::stepIsTakenBetweenUtcInstants() {
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, local);
    QFETCH(QDateTime, utc);
    QFETCH(QByteArray, reply);
    QFETCH(QString, line);
    if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/") + QString::fromLatin1(zone)))
        QSKIP("The zone data (Debian package tzdata) is not installed.");
    qputenv("TZ", zone);
    tzset();
    EngineFixture f(EngineFixture::Zone::System);
    f.clock.setNow(local, utc);
    updateFrom(f, reply);

    QCOMPARE(f.setter.changes.size(), 1);
    QTEST(f.setter.changes[0].instantUtc, "instant");
    QTEST(f.setter.changes[0].correctionUs, "correctionUs");
    QCOMPARE(f.lastMessage(), QStringLiteral("*System clock updated ") + line + u'*');
}

namespace {
// Starts a run whose accepted reply leaves the clock setter's answer to come later.
void waitForAnswer(EngineFixture& f, ScriptedServer& server) {
    f.setter.delayed = true;
    QVERIFY(f.queryServer(server));
    QTRY_COMPARE(f.setter.changes.size(), 1);
}
}  // namespace

// While polkit asks, the run stays under way and the tick goes on; no wait of the run runs out
// however long the answer takes. The answer then ends the run as an immediate one would.
void ClockCorrectionTest::runWaitsForALateAnswer_data() {
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QStringList>("lastMessages");
    QTest::addColumn<QString>("endMessage");
    QTest::addColumn<int>("closeRequests");
    QTest::newRow("set") << QString()
                         << QStringList{QStringLiteral(
                                "*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                                "12:00:05 - a correction of +5 seconds.*")}
                         << "Last updated" << 1;
    QTest::newRow("refused") << "not authorised to set the time"
                             << QStringList{QStringLiteral("*System clock could not be set to 6 "
                                                           "Dec 2026 12:00:05 - not authorised "
                                                           "to set the time.*"),
                                            QStringLiteral("Clock could not be set.")}
                             << "Clock could not be set" << 0;
}

void ClockCorrectionTest::runWaitsForALateAnswer() {
    QFETCH(QString, refusal);
    QFETCH(QStringList, lastMessages);
    EngineFixture f;
    f.settings.closeAfterUpdate = 1;
    f.setter.refusal = refusal;
    QSignalSpy close(&f.engine, &UpdateEngine::closeRequested);
    QSignalSpy displays(&f.engine, &UpdateEngine::displaysChanged);
    ScriptedServer server([](QTcpSocket& client, const QByteArray&) {
        client.write(ScriptedServer::reply("1", "06Dec26170005"));
    });
    f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("0")},
                  {QStringLiteral("127.0.0.1"), server.portText()}});
    f.servers.select(1);
    waitForAnswer(f, server);
    const qsizetype loggedBefore = f.messages().size();
    for (int second = 1; second <= 120; ++second)
        f.tickAfter(1000);
    QVERIFY(!f.engine.isIdle());
    QVERIFY(!f.engine.updateEnabled());
    QVERIFY(f.engine.disconnectEnabled());
    QCOMPARE(displays.size(), 120);
    QCOMPARE(f.engine.yourTimeText(), QStringLiteral("6 Dec 2026 12:02:00"));
    QCOMPARE(f.messages().size(), loggedBefore);  // no time-out, no further query
    QCOMPARE(server.queries.size(), 1);

    f.setter.answer();
    QVERIFY(f.engine.isIdle());
    QCOMPARE(f.messages().mid(loggedBefore), lastMessages);
    QTEST(f.engine.lastEndMessage(), "endMessage");
    QCOMPARE(f.servers.selectedIndex(), 0);
    QTEST(int(close.size()), "closeRequests");
}

// A run cancelled while the answer is out has ended and said why; the late answer ends nothing,
// logs nothing, and leaves a later run under way alone.
void ClockCorrectionTest::cancelledRunIgnoresItsLateAnswer_data() {
    QTest::addColumn<QString>("cancel");
    QTest::newRow("stopped") << "Update cancelled by user";
    QTest::newRow("program closed") << "Program closed";
}

void ClockCorrectionTest::cancelledRunIgnoresItsLateAnswer() {
    QFETCH(QString, cancel);
    EngineFixture f;
    f.settings.closeAfterUpdate = 1;
    QSignalSpy close(&f.engine, &UpdateEngine::closeRequested);
    ScriptedServer answering(
        [](QTcpSocket& client, const QByteArray&) { client.write(ScriptedServer::reply("1")); });
    waitForAnswer(f, answering);
    if (cancel == QLatin1String("Update cancelled by user"))
        f.engine.cancelUpdate();
    else
        f.engine.endUpdate(cancel);
    QVERIFY(f.engine.isIdle());
    QCOMPARE(f.lastMessage(), cancel + u'.');

    ScriptedServer silent([](QTcpSocket&, const QByteArray&) {});
    QVERIFY(f.queryServer(silent));
    const QStringList logged = f.messages();
    f.setter.answer();
    QCOMPARE(f.messages(), logged);
    QCOMPARE(f.engine.runState(), UpdateEngine::RunState::AwaitingReply);
    QVERIFY(!f.engine.updateEnabled());
    QCOMPARE(close.size(), 0);
}

// While the answer is out the time service may already have stepped the clock, here by an hour:
// that is our own step, not a change of daylight-saving time, and it cancels nothing.
void ClockCorrectionTest::ownStepWhileWaitingIsNoDaylightChange() {
    EngineFixture f;
    f.zone.setOffsets(0, -60);
    f.tickAfter(1000);
    ScriptedServer server([](QTcpSocket& client, const QByteArray&) {
        client.write(ScriptedServer::reply("1", "06Dec26130001"));
    });
    waitForAnswer(f, server);
    f.tickAfter(1000);
    f.clock.setLocal(wallTime(QDate(2026, 12, 6), QTime(13, 0, 3)));
    f.tickAfter(1000);
    QVERIFY(!f.engine.isIdle());
    f.setter.answer();
    f.tickAfter(1000);
    QCOMPARE(f.settings.daylightSaving, 0);
    QCOMPARE(f.engine.lastEndMessage(), QStringLiteral("Last updated"));
}

void ClockCorrectionTest::successEndsRunOnFirstServer() {
    EngineFixture f;
    ScriptedServer good(
        [](QTcpSocket& client, const QByteArray&) { client.write(ScriptedServer::reply("1")); });
    f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("0")},
                  {QStringLiteral("127.0.0.1"), good.portText()}});
    f.engine.requestUpdate();
    QTRY_VERIFY(f.engine.isIdle());
    QCOMPARE(f.engine.lastEndMessage(), QStringLiteral("Last updated"));
    QCOMPARE(f.tray.tooltip(), QStringLiteral("Quorvel - Last updated at 12:00:00"));
    QCOMPARE(f.servers.selectedIndex(), 0);
    QVERIFY(!f.messages().contains(QStringLiteral("Last updated.")));
}

void ClockCorrectionTest::refusalIsReportedAndNothingCloses() {
    EngineFixture f;
    f.settings.closeAfterUpdate = 1;
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
    UpdateEngine engine({f.clock, f.zone, dryRun, f.socket, f.ntpSocket, f.tray, f.log, f.settings,
                         f.servers, QLocale::c()});
    ScriptedServer server([](QTcpSocket& client, const QByteArray&) {
        client.write(ScriptedServer::reply("1", "06Dec26170009"));
    });
    f.useServers({{QStringLiteral("127.0.0.1"), server.portText()}});
    engine.requestUpdate();
    QTRY_VERIFY(engine.isIdle());
    QCOMPARE(f.lastMessage(), QStringLiteral("*System clock would be updated from 6 Dec 2026 "
                                             "12:00:00 to 6 Dec 2026 12:00:09 - a correction of "
                                             "+9 seconds.*"));
    QCOMPARE(engine.lastEndMessage(), QStringLiteral("Last updated"));
}

void ClockCorrectionTest::closeAfterUpdateAsksToClose() {
    EngineFixture f;
    f.settings.closeAfterUpdate = 1;
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
