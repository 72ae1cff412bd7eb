#include <QTest>

#include "engine/runmessages.h"
#include "engine/ticker.h"
#include "enginefixture.h"
#include "support/fakeclockwatch.h"
#include "support/fakenetworkstate.h"

namespace {
using Reachability = NetworkState::Reachability;

Reachability reachabilityNamed(const QString& name) {
    static const QHash<QString, Reachability> names{{"unknown", Reachability::Unknown},
                                                    {"off", Reachability::Disconnected},
                                                    {"limited", Reachability::Limited},
                                                    {"on", Reachability::Online}};
    return names.value(name);
}

constexpr qint64 Minute = 60 * 1000;
}  // namespace

// The tick's daylight-saving guard, the ticker that sleeps while the window is hidden, and the
// network's say over when updates run.
class TickTest : public QObject {
    Q_OBJECT

    // A hidden window's ticker. Time moves only by the delays it arms, so a wake-up it fails to
    // arm leaves nothing to advance by and the test fails.
    struct Hidden {
        EngineFixture f;
        FakeClockWatch watch;
        FakeNetworkState network;
        Ticker ticker{f.engine, f.clock, &watch, &network};
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
        const qint64 hour = 3600000;
        QTest::newRow("forward during a run") << qint64(1000) << hour + 1000 << true << 0 << 1;
        QTest::newRow("back while idle") << qint64(1000) << -hour + 1000 << false << 1 << 0;
        QTest::newRow("two hours: no change") << qint64(1000) << 2 * hour + 1000 << true << 0 << 0;
        QTest::newRow("an hour asleep: no change") << hour << hour << false << 0 << 0;
    }
    void guardSeesDaylightChange() {
        QFETCH(qint64, realMs);
        QFETCH(qint64, wallMs);
        QFETCH(bool, running);
        QFETCH(int, option);
        QFETCH(int, optionAfter);
        // A run under way when the hour changes is cancelled, announced.
        const bool cancels = running && optionAfter != option;
        EngineFixture f;
        f.settings.daylightSaving = option;
        f.engine.tick();
        if (running)
            QVERIFY(f.queryServer());
        const QStringList logged = f.messages();
        const QDateTime shown = f.clock.localNow();
        f.clock.sleep(realMs);
        f.clock.setLocal(shown.addMSecs(wallMs));
        f.engine.tick();
        QCOMPARE(f.settings.daylightSaving, optionAfter);
        QCOMPARE(f.messages(),
                 cancels ? logged + QStringList{"Update cancelled due to possible confusion caused "
                                                "by change to daylight savings time."}
                         : logged);
        QCOMPARE(f.engine.isIdle(), !running || cancels);
    }

    // The six hours of the period span the end of 32-bit seconds.
    void hiddenScheduledUpdateHappensOnTime() {
        const QDateTime local = wallTime(QDate(2038, 1, 19), QTime(0, 0, 0, 437));
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

    // The machine slept through its scheduled update and wakes with the network in some state.
    // A disconnected network holds the update back, announced, until a network is there again.
    void scheduledUpdateWaitsForTheNetwork_data() {
        QTest::addColumn<bool>("failedBefore");
        QTest::addColumn<QString>("atResume");
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<int>("begunAtReport");  // -1: at once
        QTest::newRow("unknown: as without a network state")
            << false << "unknown" << QStringList{} << -1;
        QTest::newRow("disconnected, then online") << false << "off" << QStringList{"on"} << 0;
        QTest::newRow("disconnected, connecting, online")
            << false << "off" << QStringList{"unknown", "on"} << 1;
        QTest::newRow("after a failed run: the one update is the scheduled one")
            << true << "off" << QStringList{"on"} << 0;
    }
    void scheduledUpdateWaitsForTheNetwork() {
        QFETCH(bool, failedBefore);
        QFETCH(QString, atResume);
        QFETCH(QStringList, reports);
        QFETCH(int, begunAtReport);
        Hidden h;  // no servers: each run fails at once
        if (failedBefore)
            h.f.engine.requestUpdate();
        h.f.engine.scheduleNextUpdate();
        const qsizetype runsBefore = runsBegun(h.f);
        h.network.report(reachabilityNamed(atResume));
        h.f.clock.sleep(7 * 60 * Minute);
        Q_EMIT h.watch.clockChanged();
        QCOMPARE(h.ticker.armedDelayMs(), 0);
        h.ticker.tickNow();
        QCOMPARE(h.f.messages().count("Scheduled update:"), 1);
        for (int i = 0; i < reports.size(); ++i) {
            QCOMPARE(runsBegun(h.f), runsBefore);
            // Waiting for the network's report costs the hidden program no wake-ups.
            QCOMPARE(h.ticker.armedDelayMs(), Ticker::LongestSleepMs);
            h.ticker.tickNow();
            h.network.report(reachabilityNamed(reports.at(i)));
            QCOMPARE(runsBegun(h.f), runsBefore + (i >= begunAtReport));
        }
        QCOMPARE(runsBegun(h.f), runsBefore + 1);
        QCOMPARE(h.f.messages().count("Scheduled update:"), 1);
        QVERIFY(!h.f.messages().contains("Network connected:"));
    }

    // After a run that failed, the network coming online starts one update; no more than one
    // every five minutes of real time (a suspend counts), and none while a run is under way.
    void networkComingOnlineRetriesAFailedUpdate_data() {
        QTest::addColumn<QString>("lastEnd");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("reconnectUpdates");
        const QString failed = RunMessage::ConnectionTimedOut;
        QTest::newRow("after a failed run") << failed << QStringList{"off", "on"} << 1;
        QTest::newRow("after a success")
            << RunMessage::LastUpdated << QStringList{"off", "on"} << 0;
        QTest::newRow("before any run") << QString() << QStringList{"off", "on"} << 0;
        QTest::newRow("to a limited network only") << failed << QStringList{"off", "limited"} << 0;
        QTest::newRow("flapping within five minutes")
            << failed
            << QStringList{"off", "on", "wait 60000", "off", "on", "wait 239999", "off", "on"} << 1;
        QTest::newRow("flapping five minutes apart")
            << failed << QStringList{"off", "on", "wait 300000", "off", "on"} << 2;
        QTest::newRow("five minutes asleep count")
            << failed << QStringList{"off", "on", "sleep 300000", "off", "on"} << 2;
        QTest::newRow("during a run") << failed << QStringList{"run", "off", "on"} << 0;
    }
    void networkComingOnlineRetriesAFailedUpdate() {
        QFETCH(QString, lastEnd);
        QFETCH(QStringList, steps);
        EngineFixture f;
        FakeNetworkState network;
        const Ticker ticker{f.engine, f.clock, nullptr, &network};
        if (!lastEnd.isEmpty()) {
            QVERIFY(f.queryServer());
            f.engine.endUpdate(lastEnd);
        }
        // From here every run fails at once, unless the test starts one.
        f.useServers({});
        f.servers.setAddress(QString(), QStringLiteral("1610"));
        for (const QString& step : steps) {
            const QString word = step.section(u' ', 0, 0);
            const qint64 ms = step.section(u' ', 1).toLongLong();
            if (word == "wait")
                f.clock.advance(ms);
            else if (word == "sleep")
                f.clock.sleep(ms);
            else if (word == "run")
                QVERIFY(f.queryServer());
            else
                network.report(reachabilityNamed(word));
        }
        const QStringList logged = f.messages();
        QTEST(int(logged.count("Network connected:")), "reconnectUpdates");
        for (qsizetype i = logged.indexOf("Network connected:"); i >= 0;
             i = logged.indexOf("Network connected:", i + 1))
            QVERIFY(logged.value(i + 1).startsWith("Attempted to connect to "));
    }

private:
    static qsizetype runsBegun(const EngineFixture& f) {
        const QStringList logged = f.messages();
        return std::count_if(logged.begin(), logged.end(), [](const QString& message) {
            return message.startsWith("Attempted to connect to ");
        });
    }
};

QTEST_GUILESS_MAIN(TickTest)
#include "tst_tick.moc"
