#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "clocksetanswer.h"
#include "enginefixture.h"
#include "platform/timedatedclocksetter.h"
#include "privatebus.h"

// The time-service back end against python3-dbusmock's timedated on a private bus, found through
// DBUS_SYSTEM_BUS_ADDRESS as the program finds the real one: what it sends, and the words each
// refusal reaches the activity log with.
class TstTimedatedClockSetter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(withTimedated_.start(true));
        QVERIFY(withoutTimedated_.start(false));
    }

    void sendsTheCorrectionAsARelativeStep() {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", withTimedated_.address().toLocal8Bit());
        withTimedated_.setSetTimeCode({});
        const qint64 correctionUs = -7'200'000'123;  // beyond 32 bits, with a fraction of a second
        TimedatedClockSetter setter;
        QVERIFY(answerTo(setter, {QDateTime(), correctionUs}).value_or(ClockSetResult()).ok);
        const QVariantList relativeAndInteractive{qlonglong(correctionUs), true, true};
        QCOMPARE(withTimedated_.setTimeCalls(), QList<QVariantList>{relativeAndInteractive});
    }

    void namesEachRefusal_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("setTimeCode");
        QTest::addColumn<QString>("reason");
        const QString notAuthorised = QStringLiteral("not authorised to set the time");
        QTest::newRow("polkit said no")
            << "timedated"
            << refusalCode("org.freedesktop.DBus.Error.AccessDenied", "Access denied")
            << notAuthorised;
        QTest::newRow("polkit could not ask")
            << "timedated"
            << refusalCode("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
                           "Interactive authentication required.")
            << notAuthorised;
        QTest::newRow("polkit error")
            << "timedated"
            << refusalCode("org.freedesktop.PolicyKit1.Error.NotAuthorized", "Not authorized")
            << notAuthorised;
        // As timedated does while an NTP client keeps the clock (the template starts with NTP on).
        QTest::newRow("automatic synchronisation on")
            << "timedated"
            << "if self.Get('org.freedesktop.timedate1', 'NTP'): " +
                   refusalCode("org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
                               "Automatic time synchronization is enabled")
            << "automatic time synchronisation is on; turn it off to let Quorvel set the clock";
        QTest::newRow("other refusal")
            << "timedated"
            << refusalCode("org.freedesktop.DBus.Error.Failed", "Failed to set time: Bad clock")
            << "the time service refused: Failed to set time: Bad clock "
               "(org.freedesktop.DBus.Error.Failed)";
        QTest::newRow("no timedated") << "bare"
                                      << ""
                                      << "no time service (timedated) on the system bus";
        QTest::newRow("no system bus") << "none"
                                       << ""
                                       << "no system bus";
    }
    void namesEachRefusal() {
        QFETCH(QString, bus);
        QFETCH(QString, setTimeCode);
        QFETCH(QString, reason);
        QString address = withoutTimedated_.address() + QStringLiteral("-none");  // no socket
        if (bus == QLatin1String("timedated"))
            address = withTimedated_.address();
        else if (bus == QLatin1String("bare"))
            address = withoutTimedated_.address();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toLocal8Bit());
        withTimedated_.setSetTimeCode(setTimeCode);

        TimedatedClockSetter setter;
        const std::optional<ClockSetResult> result = answerTo(setter, {QDateTime(), 1'000'000});
        QVERIFY(result);
        QVERIFY(!result->ok);
        QCOMPARE(result->reason, reason);
    }

    // Polkit may keep the answer back for minutes while it asks for a password; here the mock
    // takes 20 s. Meanwhile the event loop runs (the tick, driven by a timer, goes on), the run
    // stays under way, and a second correction is refused rather than stacked on the first.
    // The answer then ends the run with the correction's log line.
    void runGoesOnWhileTheAnswerIsAwaited() {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", withTimedated_.address().toLocal8Bit());
        withTimedated_.setSetTimeCode(QStringLiteral("time.sleep(20)"));
        TimedatedClockSetter setter;
        EngineFixture f(EngineFixture::Zone::Fixed, &setter);
        ScriptedServer server([](QTcpSocket& client, const QByteArray&) {
            client.write(ScriptedServer::reply("1", "06Dec26170005"));
        });
        QVERIFY(f.queryServer(server));
        QTRY_COMPARE(f.engine.runState(), UpdateEngine::RunState::SettingClock);
        QElapsedTimer waited;
        waited.start();

        int ticksWhileWaiting = 0;
        bool updateDisabledThroughout = true;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            f.tickAfter(100);
            if (f.engine.runState() != UpdateEngine::RunState::SettingClock)
                return;
            ++ticksWhileWaiting;
            updateDisabledThroughout = updateDisabledThroughout && !f.engine.updateEnabled();
        });
        tick.start(100);
        const std::optional<ClockSetResult> second = setter.setClock({QDateTime(), 1'000'000});
        QVERIFY(second && !second->ok);
        QCOMPARE(second->reason,
                 QStringLiteral("the time service has not yet answered the previous correction"));

        QTRY_VERIFY_WITH_TIMEOUT(f.engine.isIdle(), 40000);
        tick.stop();
        QVERIFY2(waited.elapsed() >= 19000, qPrintable(QString::number(waited.elapsed())));
        // About 200 ticks in 20 s; fewer only on a very busy machine.
        QVERIFY2(ticksWhileWaiting >= 100, qPrintable(QString::number(ticksWhileWaiting)));
        QVERIFY(updateDisabledThroughout);
        QCOMPARE(f.lastMessage(),
                 QStringLiteral("*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                                "12:00:05 - a correction of +5 seconds.*"));
        QCOMPARE(f.engine.lastEndMessage(), QStringLiteral("Last updated"));
        const QVariantList step{qlonglong(5'500'000), true, true};
        QCOMPARE(withTimedated_.setTimeCalls(), QList<QVariantList>{step});
    }

private:
    PrivateBus withTimedated_;
    PrivateBus withoutTimedated_;
};

QTEST_GUILESS_MAIN(TstTimedatedClockSetter)
#include "tst_timedatedclocksetter.moc"
