#include <QTest>

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
        QVERIFY(TimedatedClockSetter().setClock({QDateTime(), correctionUs}).ok);
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

        const ClockSetResult result = TimedatedClockSetter().setClock({QDateTime(), 1'000'000});
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, reason);
    }

private:
    PrivateBus withTimedated_;
    PrivateBus withoutTimedated_;
};

QTEST_GUILESS_MAIN(TstTimedatedClockSetter)
#include "tst_timedatedclocksetter.moc"
