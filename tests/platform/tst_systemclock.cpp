#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtDBus>
#include <cerrno>
#include <cstring>

#include "engine/enginefixture.h"
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

qint64 secondsUntil2200() {
    return QDateTime::currentDateTimeUtc().secsTo(
        QDateTime(QDate(2200, 1, 1), QTime(0, 0), Qt::UTC));
}

// The seconds left on the process's clock-change timer (an absolute CLOCK_REALTIME timerfd that
// a setting of the clock cancels), as /proc tells them; -1 when there is none.
qint64 watchSecondsLeft() {
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        if (::readlink(qPrintable(fds.filePath(fd)), target, sizeof target - 1) < 0 ||
            qstrcmp(target, "anon_inode:[timerfd]") != 0)
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd);
        if (!info.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = info.readAll();
        const qsizetype at = text.indexOf("it_value: (");
        if (text.contains("clockid: 0\n") && text.contains("settime flags: 03\n") && at >= 0)
            return text.mid(at + 11).split(',').value(0).toLongLong();
    }
    return -1;
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

    // Polkit's dialog may stay open for minutes, and timedated steps the clock whenever the user
    // answers. SetTime here waits on a pipe until the test releases it, past the two minutes of
    // the engine's clock that once ended such a wait: the run waits on, a run begun after a
    // cancel is refused rather than stacked on it, and the answer that comes at last is logged.
    void heldRequestIsNeitherGivenUpNorStacked() {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_.toLocal8Bit());
        const QByteArray release = dir_.filePath("release").toLocal8Bit();
        QCOMPARE(::mkfifo(release.constData(), 0600), 0);
        setSetTime(QStringLiteral("open('%1').read()").arg(QString::fromLocal8Bit(release)));
        const qint64 callsBefore = QFileInfo(dir_.filePath("calls")).size();
        const std::unique_ptr<ClockSetter> setter = systemSetter(EPERM);
        EngineFixture f(EngineFixture::Zone::Fixed, setter.get());
        QVERIFY(f.queryServer());
        f.lineSocket.deliver("1:06Dec26170005");
        QTRY_COMPARE(f.engine.runState(), UpdateEngine::RunState::SettingClock);
        const QStringList logged = f.messages();
        for (int second = 0; second <= 120; ++second)
            f.tickAfter(1000);
        QCOMPARE(f.messages(), logged);
        QCOMPARE(f.engine.runState(), UpdateEngine::RunState::SettingClock);

        f.engine.cancelUpdate();
        QVERIFY(f.queryServer());
        f.lineSocket.deliver("1:06Dec26170005");
        QVERIFY(
            f.waitForMessage("*System clock could not be set to 6 Dec 2026 12:00:05 - an "
                             "earlier request is still waiting for authorisation.*"));
        // Opening the pipe's other end and closing it lets SetTime's read end.
        int writer = -1;
        QVERIFY(QTest::qWaitFor([&] {
            writer = ::open(release.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            return writer >= 0;
        }));
        ::close(writer);
        QVERIFY(
            f.waitForMessage("*System clock updated from 6 Dec 2026 12:00:00 to 6 Dec 2026 "
                             "12:00:05 - a correction of +5 seconds.*"));
        QFile calls(dir_.filePath("calls"));
        QVERIFY(calls.open(QIODevice::ReadOnly) && calls.seek(callsBefore));
        QCOMPARE(calls.readAll().count("SetTime"), 1);
    }

    // The step goes as one relative SetTime, beyond 32 bits and fractional; a refusal says why.
    void stepIsSentOrRefusedWithAReason_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<int>("directError");
        QTest::addColumn<QString>("setTimeCode");
        QTest::addColumn<QString>("reason");  // empty: accepted
        QTest::newRow("accepted") << bus_ << EPERM << ""
                                  << "";
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
    void stepIsSentOrRefusedWithAReason() {
        QFETCH(QString, bus);
        QFETCH(int, directError);
        QFETCH(QString, setTimeCode);
        QFETCH(QString, reason);
        setSetTime(setTimeCode);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.toLocal8Bit());
        const qint64 callsBefore = QFileInfo(dir_.filePath("calls")).size();
        const std::unique_ptr<ClockSetter> setter = systemSetter(directError);
        QSignalSpy finished(setter.get(), &ClockSetter::finished);
        std::optional<ClockSetResult> result = setter->setClock({QDateTime(), -7'200'000'123});
        if (!result && finished.wait(10000))
            result = finished.at(0).at(0).value<ClockSetResult>();
        QVERIFY(result);
        QCOMPARE(result->ok, reason.isEmpty());
        QCOMPARE(result->reason, reason);
        if (!reason.isEmpty())
            return;
        QFile log(dir_.filePath("calls"));  // the mock's log: "<time> SetTime <args>" a call
        QVERIFY(log.open(QIODevice::ReadOnly) && log.seek(callsBefore));
        const QByteArray calls = log.readAll();
        QCOMPARE(calls.mid(calls.indexOf(' ') + 1), QByteArray("SetTime -7200000123 True True\n"));
    }

    // Seeing the timerfd report a setting of the clock would take setting the machine's clock;
    // the kernel's account of the timer shows an expiry that no date reaches, 2038 (32-bit
    // seconds) and 2106 (unsigned) included.
    void clockWatchIsArmedBeyondAnyDate() {
        const SystemClockWatch watch;
        QVERIFY(watch.valid());
        QCOMPARE_GT(watchSecondsLeft(), secondsUntil2200());
    }

    // A clock set past the armed instant expires the timer rather than cancelling it: one change
    // of the clock, then the watch sleeps again instead of waking at every turn of the loop.
    void clockWatchPastItsInstantSeesOneChange() {
        SystemClockWatch watch(1);  // armed for 1970, which every clock has passed
        QSignalSpy changed(&watch, &ClockWatch::clockChanged);
        QTRY_COMPARE(changed.size(), 1);
        for (int turn = 0; turn < 10; ++turn)
            QCoreApplication::processEvents();
        QCOMPARE(changed.size(), 1);
        QCOMPARE_GT(watchSecondsLeft(), secondsUntil2200());
    }

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
