// The ticker while the displays are hidden: it sleeps until something is due, and what is due
// still happens on time. Time moves only by the armed delays: a wake-up the ticker fails to arm
// leaves nothing to advance by, and the test fails.
#include <QSignalSpy>
#include <QTest>

#include "engine/ticker.h"
#include "enginefixture.h"
#include "support/fakeclockwatch.h"

namespace {
constexpr int MostWakes = 50;
}

class TstHiddenTicker : public QObject {
    Q_OBJECT

    struct Hidden {
        EngineFixture f;
        FakeClockWatch watch;
        Ticker ticker{f.engine, f.clock, &watch};
        int wakes = 0;
        // The zone's change of offset, applied when time passes it: the wall clock jumps.
        QDateTime zoneChangeUtc;
        qint64 zoneJumpMs = 0;

        Hidden() {
            ticker.setDisplaysShown(false);
            ticker.tickNow();
        }
        void passTime(qint64 ms) {
            if (zoneChangeUtc.isValid() && f.clock.utcNow().msecsTo(zoneChangeUtc) <= ms) {
                const qint64 before = f.clock.utcNow().msecsTo(zoneChangeUtc);
                f.clock.advance(before);
                f.clock.setLocal(f.clock.localNow().addMSecs(zoneJumpMs));
                f.zone.setDaylightInForce(zoneJumpMs > 0);
                zoneChangeUtc = QDateTime();
                ms -= before;
            }
            f.clock.advance(ms);
        }
        // Sleeps as armed and ticks, until done() holds; false when no tick was armed.
        template <typename Done>
        [[nodiscard]] bool wakeUntil(Done done) {
            while (!done() && wakes < MostWakes) {
                const std::optional<int> delay = ticker.armedDelayMs();
                if (!delay)
                    return false;
                passTime(*delay);
                ticker.tickNow();
                ++wakes;
            }
            return done();
        }
    };

private Q_SLOTS:
    void scheduledUpdateHappensOnTime_data() {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("wokenAfterMs");
        QTest::addColumn<int>("mostWakes");
        // One wake-up an hour at most on the way (the safety net), then the update's second. A
        // wake-up for some other reason (an option edited) puts the hours off the schedule's.
        QTest::newRow("on the second") << QTime(12, 0) << "6" << 1200000 << 7;
        QTest::newRow("within a second") << QTime(12, 0, 0, 437) << "6" << 1234567 << 7;
        QTest::newRow("a short period") << QTime(12, 0, 0, 999) << "1" << 0 << 2;
    }
    void scheduledUpdateHappensOnTime() {
        QFETCH(QTime, start);
        QFETCH(QString, period);
        QFETCH(int, wokenAfterMs);
        QFETCH(int, mostWakes);
        Hidden h;
        h.f.clock.setLocal(wallTime(QDate(2026, 12, 6), start));
        h.f.settings.updatePeriodText = period;
        h.f.engine.scheduleNextUpdate();
        const QDateTime due = h.f.engine.nextUpdate();
        h.f.clock.advance(wokenAfterMs);
        h.ticker.tickNow();
        QVERIFY(h.wakeUntil([&] { return h.f.messages().contains("Scheduled update:"); }));
        QCOMPARE(wholeSecond(h.f.clock.localNow()), due);
        QVERIFY2(h.wakes <= mostWakes, qPrintable(QString::number(h.wakes)));
    }

    void daylightChangeIsSeenWhenItHappens_data() {
        QTest::addColumn<QDateTime>("changeUtc");
        QTest::addColumn<int>("jumpMinutes");
        QTest::addColumn<int>("option");
        QTest::newRow("daylight time begins")
            << QDateTime(QDate(2026, 12, 6), QTime(19, 17, 30, 250), Qt::UTC) << 60 << 1;
        QTest::newRow("daylight time ends")
            << QDateTime(QDate(2026, 12, 6), QTime(20, 0), Qt::UTC) << -60 << 0;
    }
    void daylightChangeIsSeenWhenItHappens() {
        QFETCH(QDateTime, changeUtc);
        QFETCH(int, jumpMinutes);
        QFETCH(int, option);
        Hidden h;
        h.f.settings.daylightSaving = 1 - option;
        h.f.zone.setDaylightInForce(option == 0);
        h.f.engine.scheduleNextUpdate();
        h.watch.nextChange = changeUtc;
        h.zoneChangeUtc = changeUtc;
        h.zoneJumpMs = jumpMinutes * 60000;
        h.ticker.tickNow();
        QVERIFY(h.wakeUntil([&] { return h.f.settings.daylightSaving == option; }));
        // Seen within the second of the change, long before the next scheduled update.
        QVERIFY(h.f.clock.utcNow() >= changeUtc);
        QVERIFY(h.f.clock.utcNow() < changeUtc.addSecs(1));
        QVERIFY(!h.f.messages().contains("Scheduled update:"));
        QVERIFY2(h.wakes <= 4, qPrintable(QString::number(h.wakes)));
    }

    void wakesAtOnceWhenTheTickMayHaveSomethingToDo_data() {
        QTest::addColumn<QString>("event");
        QTest::newRow("clock set by anyone") << "clock";
        QTest::newRow("displays shown") << "shown";
        QTest::newRow("option edited") << "poke";
    }
    void wakesAtOnceWhenTheTickMayHaveSomethingToDo() {
        QFETCH(QString, event);
        Hidden h;
        h.f.engine.scheduleNextUpdate();
        h.ticker.tickNow();
        QVERIFY(h.ticker.armedDelayMs() > 1000);
        if (event == "clock")
            h.watch.reportClockChange();
        else if (event == "shown")
            h.ticker.setDisplaysShown(true);
        else
            h.ticker.poke();
        QCOMPARE(h.ticker.armedDelayMs(), 0);
    }

    void shownDisplaysTickEachSecond_data() {
        QTest::addColumn<bool>("watched");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("eachSecond");
        QTest::newRow("shown") << true << true << true;
        QTest::newRow("hidden") << true << false << false;
        // Without news of clock changes the ticker cannot sleep safely.
        QTest::newRow("hidden, no clock watch") << false << false << true;
    }
    void shownDisplaysTickEachSecond() {
        QFETCH(bool, watched);
        QFETCH(bool, shown);
        EngineFixture f;
        FakeClockWatch watch;
        f.engine.scheduleNextUpdate();
        Ticker ticker(f.engine, f.clock, watched ? &watch : nullptr);
        ticker.setDisplaysShown(shown);
        f.clock.advance(300);
        ticker.tickNow();
        const std::optional<int> delay = ticker.armedDelayMs();
        QVERIFY(delay);
        QTEST(*delay <= 1000, "eachSecond");
    }

    // A run's waits wake the hidden ticker when they run out.
    void runWaitRunsOutOnTime() {
        Hidden h;
        h.f.settings.replyWaitText = QStringLiteral("2500");
        h.f.settings.attemptsText = QStringLiteral("1");
        ScriptedServer silent;
        QVERIFY(h.f.queryServer(silent));
        QCOMPARE(h.f.engine.runState(), UpdateEngine::RunState::AwaitingReply);
        const qint64 sent = h.f.clock.monotonicMs();
        h.ticker.tickNow();
        QVERIFY(h.wakeUntil([&] { return h.f.engine.runState() == UpdateEngine::RunState::Idle; }));
        QCOMPARE(h.f.clock.monotonicMs() - sent, 2500);
    }
};

QTEST_GUILESS_MAIN(TstHiddenTicker)
#include "tst_hiddenticker.moc"
