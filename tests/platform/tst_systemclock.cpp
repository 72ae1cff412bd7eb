#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtDBus>
#include <cerrno>
#include <cstring>

#include "platform/systemclocksetter.h"
#include "platform/systemclockwatch.h"
#include "platform/timedatedclocksetter.h"
#include "support/privatebus.h"
#include "support/recordingclocksetter.h"

namespace {
const QString Timedated = QStringLiteral("org.freedesktop.timedate1");

// The direct back end is a double refusing as clock_settime would: no test sets the clock.
std::unique_ptr<ClockSetter> systemSetter(int directError) {
    auto direct = std::make_unique<RecordingClockSetter>();
    direct->refusal = QString::fromLocal8Bit(std::strerror(directError));
    direct->refusalNotPermitted = directError == EPERM;
    return std::make_unique<SystemClockSetter>(std::move(direct),
                                               std::make_unique<TimedatedClockSetter>());
}

QString refusal(const char* errorName, const char* message) {
    return QStringLiteral("raise dbus.exceptions.DBusException('%1', name='%2')")
        .arg(message, errorName);
}
}  // namespace

// clock_settime, then the real timedated back end against python3-dbusmock on a private bus.
class SystemClockTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        bus_ = startPrivateBus(daemon_);
        bareBus_ = startPrivateBus(bareDaemon_);
        QVERIFY(!bus_.isEmpty() && !bareBus_.isEmpty() && dir_.isValid());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_.toLocal8Bit());
        // The system's Python, among whose packages python3-dbusmock is installed.
        mock_.start("/usr/bin/python3",
                    {"-m", "dbusmock", "--template", "timedated", "-l", dir_.filePath("calls")});
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::connectToBus(bus_, "test").interface()->isServiceRegistered(Timedated),
            10000);
    }
    void cleanupTestCase() {
        for (QProcess* process : {&mock_, &daemon_, &bareDaemon_})
            process->close();
    }

    // Polkit may hold the answer back while it asks for a password: the event loop runs on, and
    // a second step is refused rather than stacked on the first.
    void sendsOneRelativeStepWithoutBlocking() {
        setSetTime("time.sleep(0.5)");
        const std::unique_ptr<ClockSetter> setter = systemSetter(EPERM);
        QSignalSpy finished(setter.get(), &ClockSetter::finished);
        int ticksWhileWaiting = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ticksWhileWaiting += finished.isEmpty(); });
        tick.start(10);
        QVERIFY(!setter->setClock({QDateTime(), -7'200'000'123}));  // beyond 32 bits, fractional
        const std::optional<ClockSetResult> second = setter->setClock({QDateTime(), 1'000'000});
        QVERIFY(second && !second->ok);
        QCOMPARE(second->reason, "the time service has not yet answered the previous correction");
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.at(0).at(0).value<ClockSetResult>().ok);
        QCOMPARE_GE(ticksWhileWaiting, 10);
        QFile log(dir_.filePath("calls"));  // the mock's log: "<time> SetTime <args>" a call
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray calls = log.readAll();
        QCOMPARE(calls.mid(calls.indexOf(' ') + 1), QByteArray("SetTime -7200000123 True True\n"));
    }

    void reportsWhyTheClockWasNotSet_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<int>("directError");
        QTest::addColumn<QString>("setTimeCode");
        QTest::addColumn<QString>("reason");
        QTest::newRow("polkit said no")
            << bus_ << EPERM << refusal("org.freedesktop.DBus.Error.AccessDenied", "Access denied")
            << "not authorised to set the time";
        QTest::newRow("automatic synchronisation on")
            << bus_ << EPERM
            << refusal("org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
                       "Automatic time synchronization is enabled")
            << "automatic time synchronisation is on; turn it off to let Quorvel set the clock";
        QTest::newRow("other refusal")
            << bus_ << EPERM << refusal("org.freedesktop.DBus.Error.Failed", "Bad clock")
            << "the time service refused: Bad clock (org.freedesktop.DBus.Error.Failed)";
        QTest::newRow("no timedated") << bareBus_ << EPERM << ""
                                      << "no time service (timedated) on the system bus";
        QTest::newRow("no system bus") << "unix:path=" + dir_.filePath("none") << EPERM << ""
                                       << "no system bus";
        // Only a lack of the right goes on to the time service, which here would accept.
        QTest::newRow("clock_settime failed otherwise")
            << bus_ << EINVAL << "" << QString::fromLocal8Bit(std::strerror(EINVAL));
    }
    void reportsWhyTheClockWasNotSet() {
        QFETCH(QString, bus);
        QFETCH(int, directError);
        QFETCH(QString, setTimeCode);
        setSetTime(setTimeCode);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.toLocal8Bit());
        const std::unique_ptr<ClockSetter> setter = systemSetter(directError);
        QSignalSpy finished(setter.get(), &ClockSetter::finished);
        std::optional<ClockSetResult> result = setter->setClock({QDateTime(), 1'000'000});
        if (!result && finished.wait(10000))
            result = finished.at(0).at(0).value<ClockSetResult>();
        QVERIFY(result && !result->ok);
        QTEST(result->reason, "reason");
    }

    // Seeing the timerfd report a setting of the clock would take setting the machine's clock.
    void clockWatchArms() { QVERIFY(SystemClockWatch().valid()); }

private:
    // Replaces the mock's SetTime with Python code (empty: accept).
    void setSetTime(const QString& code) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            Timedated, "/org/freedesktop/timedate1", "org.freedesktop.DBus.Mock", "AddMethod");
        call.setArguments({Timedated, "SetTime", "xbb", QString(), code});
        QDBusConnection::connectToBus(bus_, "test").call(call);
    }

    QTemporaryDir dir_;
    QProcess daemon_, bareDaemon_, mock_;
    QString bus_, bareBus_;
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_systemclock.moc"
