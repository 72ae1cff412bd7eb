#include <QTest>

#include "engine/ticker.h"
#include "enginefixture.h"
#include "support/fakeclockwatch.h"

// The tick's daylight-saving guard, and the ticker that sleeps while the window is hidden.
class TickTest : public QObject {
    Q_OBJECT

    // A hidden window's ticker. Time moves only by the delays it arms, so a wake-up it fails to
    // arm leaves nothing to advance by and the test fails.
    struct Hidden {
        EngineFixture f;
        FakeClockWatch watch;
        Ticker ticker{f.engine, f.clock, &watch};
        int wakes = 0;
        QDateTime daylightFromUtc;  // when time passes it, the wall clock jumps an hour on

        Hidden() {
            ticker.setDisplaysShown(false);
            ticker.tickNow();
        }
        void passTime(qint64 ms) {
            const qint64 toChange = f.clock.utcNow().msecsTo(daylightFromUtc);
            if (daylightFromUtc.isValid() && toChange <= ms) {
                f.clock.advance(toChange);
                f.clock.setLocal(f.clock.localNow().addSecs(3600));
                f.zone.setDaylightInForce(true);
                daylightFromUtc = QDateTime();
                ms -= toChange;
            }
            f.clock.advance(ms);
        }
        template <typename Done>
        [[nodiscard]] bool wakeUntil(Done done) {
            while (!done() && wakes < 50) {
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
    // Between two ticks real time (the boot clock, which counts a suspend) passed and the wall
    // clock moved; a move an hour off real time is the zone's hour of daylight saving.
    void guardSeesDaylightChange_data() {
        QTest::addColumn<qint64>("realMs");
        QTest::addColumn<qint64>("wallMs");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("optionAfter");
        QTest::addColumn<QString>("message");
        const qint64 hour = 3600000;
        QTest::newRow("forward during a run")
            << qint64(1000) << hour + 1000 << true << 0 << 1
            << "Update cancelled due to possible confusion caused by change to daylight savings "
               "time.";
        QTest::newRow("back while idle") << qint64(1000) << -hour + 1000 << false << 1 << 0 << "";
        QTest::newRow("two hours: no change")
            << qint64(1000) << 2 * hour + 1000 << true << 0 << 0 << "";
        QTest::newRow("an hour asleep: no change") << hour << hour << false << 0 << 0 << "";
        QTest::newRow("change while asleep") << 2 * hour << 3 * hour << false << 0 << 1 << "";
    }
    void guardSeesDaylightChange() {
        QFETCH(qint64, realMs);
        QFETCH(qint64, wallMs);
        QFETCH(bool, running);
        QFETCH(int, option);
        QFETCH(QString, message);
        EngineFixture f;
        f.settings.daylightSaving = option;
        f.engine.tick();
        ScriptedServer server;
        if (running)
            QVERIFY(f.queryServer(server));
        const QStringList logged = f.messages();
        const QDateTime shown = f.clock.localNow();
        f.clock.sleep(realMs);
        f.clock.setLocal(shown.addMSecs(wallMs));
        f.engine.tick();
        QTEST(f.settings.daylightSaving, "optionAfter");
        QCOMPARE(f.messages(), message.isEmpty() ? logged : logged + QStringList{message});
        QCOMPARE(f.engine.isIdle(), !running || !message.isEmpty());
    }

    // Whatever the date: the six hours of the period may span the end of NTP's first era or of
    // 32-bit seconds.
    void hiddenScheduledUpdateHappensOnTime_data() {
        QTest::addColumn<QDateTime>("local");
        QTest::newRow("2026") << wallTime(QDate(2026, 12, 6), QTime(12, 0, 0, 437));
        QTest::newRow("across 2036-02-07") << wallTime(QDate(2036, 2, 7), QTime(3, 0, 0, 437));
        QTest::newRow("across 2038-01-19") << wallTime(QDate(2038, 1, 19), QTime(0, 0, 0, 437));
        QTest::newRow("2200") << wallTime(QDate(2200, 1, 1), QTime(0, 0, 0, 437));
    }
    void hiddenScheduledUpdateHappensOnTime() {
        QFETCH(QDateTime, local);
        Hidden h;
        h.f.clock.setNow(local, local);
        h.f.settings.updatePeriodText = QStringLiteral("6");
        h.f.engine.scheduleNextUpdate();
        const QDateTime due = h.f.engine.nextUpdate();
        QVERIFY(h.wakeUntil([&] { return h.f.messages().contains("Scheduled update:"); }));
        QCOMPARE(wholeSecond(h.f.clock.localNow()), due);
        // At most one wake an hour on the way, then the update's second.
        QVERIFY2(h.wakes <= 7, qPrintable(QString::number(h.wakes)));
    }

    void hiddenDaylightChangeIsSeenWhenItHappens() {
        Hidden h;
        h.f.engine.scheduleNextUpdate();
        const QDateTime change(QDate(2026, 12, 6), QTime(19, 17, 30, 250), Qt::UTC);
        h.watch.nextChange = h.daylightFromUtc = change;
        h.ticker.tickNow();
        QVERIFY(h.wakeUntil([&] { return h.f.settings.daylightSaving == 1; }));
        // Within the second of the change, long before the next scheduled update.
        QVERIFY(h.f.clock.utcNow() >= change);
        QVERIFY(h.f.clock.utcNow() < change.addSecs(1));
        QVERIFY(!h.f.messages().contains("Scheduled update:"));
    }
};

QTEST_GUILESS_MAIN(TickTest)
#include "tst_tick.moc"
