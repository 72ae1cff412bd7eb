#include <time.h>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include "enginefixture.h"

namespace {
// Runs an update on a line server that answers query 1 at once; true when the clock setter was
// asked.
[[nodiscard]] bool updateFrom(EngineFixture& f, const QByteArray& reply) {
    if (!f.queryServer())
        return false;
    f.lineSocket.deliver(reply);
    return !f.setter.changes.isEmpty();
}
}  // namespace

// The walk down the server list, the numbered query exchange with each server, and the
// correction of the clock from an accepted reply.
class UpdateRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void walkTriesEachRowAndWrapsOnlyWithLoop_data() {
        QTest::addColumn<int>("loop");
        QTest::newRow("loop off: the walk ends") << 0;
        QTest::newRow("loop on: again from the top a second later") << 1;
    }
    void walkTriesEachRowAndWrapsOnlyWithLoop() {
        QFETCH(int, loop);
        EngineFixture f;
        f.settings.loopList = loop;
        f.useServers({{QStringLiteral("a"), QStringLiteral("0")},
                      {QStringLiteral("b"), QStringLiteral("70000")},
                      {QString(), QStringLiteral("1610")}});
        f.engine.requestUpdate();
        const QStringList walk{"Attempted to connect to a:0:",     "Connection failed.",
                               "Attempted to connect to b:70000:", "Connection failed.",
                               "Attempted to connect to :1610:",   "Connection failed."};
        QCOMPARE(f.messages(), QStringList{"Update Clock button clicked:"} + walk);
        QCOMPARE(f.servers.selectedIndex(), 0);
        f.tickAfter(999);
        QCOMPARE(f.messages().size(), 7);
        f.tickAfter(1);
        QCOMPARE(f.messages().mid(7), loop == 1 ? walk : QStringList());
        QCOMPARE(f.engine.isIdle(), loop == 0);
    }

    void longListOfFailingRowsDoesNotRecurse() {
        EngineFixture f;
        f.useServers(ServerEntries(20000, {QStringLiteral("127.0.0.1"), QStringLiteral("0")}));
        f.engine.requestUpdate();
        QCOMPARE(f.messages().count(QStringLiteral("Connection failed.")), 20000);
        QVERIFY(f.engine.isIdle());
    }

    // A query goes out again only when the reply wait has run out; after the allowed attempts
    // the server is given up for the next row.
    void silentServerIsAskedAgainThenGivenUp() {
        EngineFixture f;
        f.settings.attemptsText = QStringLiteral("2");
        f.useServers({{QStringLiteral("127.0.0.1"), QStringLiteral("1610")},
                      {QStringLiteral("127.0.0.1"), QStringLiteral("1611")}});
        f.engine.requestUpdate();
        f.lineSocket.accept();
        f.tickAfter(5999);
        QCOMPARE(f.lastMessage(), QStringLiteral("Queried server for time - attempt 1:"));
        f.tickAfter(1);
        QCOMPARE(f.lineSocket.sent, QList<QByteArray>({"1", "2"}));
        f.tickAfter(6000);
        QCOMPARE(f.lineSocket.port, 1611);
        f.lineSocket.accept();
        QCOMPARE(f.lineSocket.sent, QList<QByteArray>({"1", "2", "1"}));
        const QString lastWait =
            QStringLiteral("Did not receive reply to attempt 2 after 6000 milliseconds.");
        QCOMPARE(f.messages().mid(f.messages().indexOf(lastWait), 3),
                 QStringList({lastWait, "Update failed too many times.",
                              "Attempted to connect to 127.0.0.1:1611:"}));
    }

    // A server that hangs up is given up at once, its remaining attempts unspent.
    void hangUpGivesTheServerUp() {
        EngineFixture f;
        QVERIFY(f.queryServer());
        f.lineSocket.hangUp();
        QCOMPARE(f.lastMessage(), QStringLiteral("Connection lost."));
        QVERIFY(f.engine.isIdle());
    }

    // Replies while the second query waits; the delay counts from that query, the limit is 1 s.
    void replyIsJudged_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("delay");
        QTest::addColumn<QString>("judgement");
        QTest::addColumn<int>("queries");
        const QString accepted = QStringLiteral("Packet was reply to attempt 2 - packet accepted:");
        QTest::newRow("just in time") << QByteArray("2:06Dec26170000") << 999 << accepted << 2;
        QTest::newRow("late: asked again")
            << QByteArray("2:06Dec26170000") << 1000
            << "Packet was reply to attempt 2 - delay was unacceptable." << 3;
        QTest::newRow("older query: ignored")
            << QByteArray("1:06Dec26170000") << 5
            << "Packet was reply to attempt 1, but it has expired." << 2;
        // Each arrival is judged as a whole reply: half of one is not kept for the next.
        QTest::newRow("half a reply: asked again")
            << QByteArray("2:06Dec") << 5 << "Date and time in packet could not be read." << 3;
    }
    void replyIsJudged() {
        QFETCH(QByteArray, reply);
        QFETCH(int, delay);
        QFETCH(QString, judgement);
        QFETCH(int, queries);
        EngineFixture f;
        QVERIFY(f.queryServer());
        f.tickAfter(6000);
        QCOMPARE(f.lineSocket.sent.size(), 2);
        f.clock.advance(delay);
        f.lineSocket.deliver(reply);
        QVERIFY(f.messages().contains(judgement));
        QCOMPARE(f.lineSocket.sent.size(), queries);
        QCOMPARE(f.setter.changes.size(), judgement.endsWith("accepted:") ? 1 : 0);
    }

    // A run cancelled while the answer is out has ended, its request has not: a correction of a
    // later run is refused rather than stacked on it, and the answer, when it comes, is logged
    // and reported as ever without ending the run then under way.
    void cancelledRunsAnswerIsLoggedAndNotStacked() {
        EngineFixture f;
        f.setter.delayed = true;
        f.settings.closeAfterUpdate = 1;
        QSignalSpy close(&f.engine, &UpdateEngine::closeRequested);
        QSignalSpy accepted(&f.engine, &UpdateEngine::sampleAccepted);
        QSignalSpy answered(&f.engine, &UpdateEngine::clockAnswered);
        QVERIFY(updateFrom(f, "1:06Dec26170005"));
        f.engine.cancelUpdate();
        QCOMPARE(f.lastMessage(), QStringLiteral("Update cancelled by user."));
        QVERIFY(f.queryServer());
        f.lineSocket.deliver("1:06Dec26170005");
        QCOMPARE(f.lastMessage(), QStringLiteral("Clock could not be set."));
        QCOMPARE(f.messages().mid(f.messages().size() - 2, 1),
                 QStringList({"*System clock could not be set to 6 Dec 2026 12:00:05 - an earlier "
                              "request is still waiting for authorisation.*"}));
        QCOMPARE(f.setter.changes.size(), 1);

        QVERIFY(f.queryServer());
        const QStringList logged = f.messages();
        f.setter.answer();
        QCOMPARE(f.messages().mid(logged.size()),
                 QStringList({"*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                              "12:00:05 - a correction of +5 seconds.*"}));
        QCOMPARE(f.engine.runState(), UpdateEngine::RunState::AwaitingReply);
        QCOMPARE(close.size(), 0);

        QCOMPARE(accepted.size(), 2);
        const auto sample = accepted.at(1).at(0).value<TimeSample>();
        QCOMPARE(sample.server, QStringLiteral("127.0.0.1:1610"));
        QCOMPARE(sample.namedUtc, QDateTime(QDate(2026, 12, 6), QTime(17, 0, 5), Qt::UTC));
        QCOMPARE(answered.size(), 2);  // the refusal, then the late answer
        QCOMPARE(answered.at(0).at(1).value<ClockSetResult>().ok, false);
        const auto late = answered.at(1).at(0).value<ClockSetting>();
        QCOMPARE(late.newLocal, wallTime(QDate(2026, 12, 6), QTime(12, 0, 5)));
        QVERIFY(answered.at(1).at(1).value<ClockSetResult>().ok);
    }

    // Last, as TZ= stays set. By the 2026 rules: New York UTC-5, daylight UTC-4 from 8 Mar 07:00
    // to 1 Nov 06:00 UTC; Dublin UTC+0, daylight UTC+1 from 29 Mar 01:00 to 25 Oct 01:00 UTC. The
    // instant set is the server's second and a half; the log's two local times differ by an hour
    // from the step whenever they fall in different seasons.
    void stepIsTakenBetweenUtcInstants_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("local");
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<int>("option");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<qint64>("correctionUs");
        QTest::addColumn<int>("optionAfter");
        QTest::addColumn<QString>("line");
        // Times of day on the row's date: wall clock, UTC before, the instant set (ms).
        const auto row = [](const char* name, const char* zone, QDate day, QTime local, QTime utc,
                            int option, const char* reply, QTime instant, qint64 correctionUs,
                            int optionAfter, const char* line) {
            QTest::newRow(name) << QByteArray(zone) << wallTime(day, local)
                                << QDateTime(day, utc, Qt::UTC) << option << QByteArray(reply)
                                << QDateTime(day, instant, Qt::UTC) << correctionUs << optionAfter
                                << QString::fromLatin1(line);
        };
        const qint64 twoMinutesAndAHalf = 120'500'000;
        row("New York, spring change", "America/New_York", QDate(2026, 3, 8), QTime(1, 59),
            QTime(6, 59), 0, "1:08Mar26070100", QTime(7, 1, 0, 500), twoMinutesAndAHalf, 1,
            "from 8 Mar 2026 01:59:00 to 8 Mar 2026 03:01:00 - a correction of +3720 seconds.");
        row("Dublin, summer, stale option", "Europe/Dublin", QDate(2026, 7, 15), QTime(12, 0),
            QTime(11, 0), 0, "1:15Jul26110000", QTime(11, 0, 0, 500), 500'000, 1,
            "to 15 Jul 2026 12:00:00 - a correction of less than a second.");
        row("Dublin, autumn change", "Europe/Dublin", QDate(2026, 10, 25), QTime(1, 59),
            QTime(0, 59), 1, "1:25Oct26010100", QTime(1, 1, 0, 500), twoMinutesAndAHalf, 0,
            "from 25 Oct 2026 01:59:00 to 25 Oct 2026 01:01:00 - a correction of -3480 seconds.");
    }
    void stepIsTakenBetweenUtcInstants() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, local);
        QFETCH(QDateTime, utc);
        QFETCH(int, option);
        QFETCH(QByteArray, reply);
        QFETCH(QString, line);
        if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/") + QString::fromLatin1(zone)))
            QSKIP("The zone data (Debian package tzdata) is not installed.");
        qputenv("TZ", zone);
        tzset();
        EngineFixture f(EngineFixture::Zone::System);
        f.clock.setNow(local, utc);
        f.settings.daylightSaving = option;
        QVERIFY(updateFrom(f, reply));
        QTEST(f.setter.changes[0].instantUtc, "instant");
        QTEST(f.setter.changes[0].correctionUs, "correctionUs");
        QTEST(f.settings.daylightSaving, "optionAfter");
        QCOMPARE(f.lastMessage(), QStringLiteral("*System clock updated ") + line + u'*');
    }
};

QTEST_GUILESS_MAIN(UpdateRunTest)
#include "tst_updaterun.moc"
