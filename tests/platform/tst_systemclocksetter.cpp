#include <QTest>
#include <cerrno>
#include <cstring>

#include "clocksetanswer.h"
#include "platform/systemclocksetter.h"
#include "platform/timedatedclocksetter.h"
#include "privatebus.h"
#include "support/recordingclocksetter.h"

// The order of the back ends. The direct one is a double that refuses as clock_settime would:
// a test must never set the machine's clock. The time service is the real back end, talking to
// a mock timedated on a private bus.
class TstSystemClockSetter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(bus_.start(true));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_.address().toLocal8Bit());
    }

    void turnsToTheTimeServiceOnlyWithoutTheRight_data() {
        QTest::addColumn<QString>("directRefusal");
        QTest::addColumn<bool>("notPermitted");
        QTest::addColumn<int>("timeServiceCalls");
        QTest::addColumn<QString>("reason");
        const QString invalid = QString::fromLocal8Bit(std::strerror(EINVAL));
        QTest::newRow("may set the clock") << "" << false << 0 << "";
        QTest::newRow("may not set the clock")
            << QString::fromLocal8Bit(std::strerror(EPERM)) << true << 1 << "";
        QTest::newRow("other failure") << invalid << false << 0 << invalid;
    }
    void turnsToTheTimeServiceOnlyWithoutTheRight() {
        QFETCH(QString, directRefusal);
        QFETCH(bool, notPermitted);
        QFETCH(int, timeServiceCalls);
        QFETCH(QString, reason);
        bus_.setSetTimeCode({});
        auto direct = std::make_unique<RecordingClockSetter>();
        direct->refusal = directRefusal;
        direct->refusalNotPermitted = notPermitted;
        RecordingClockSetter* directCalls = direct.get();
        SystemClockSetter setter(std::move(direct), std::make_unique<TimedatedClockSetter>());

        const std::optional<ClockSetResult> result = answerTo(setter, {QDateTime(), 2'500'000});
        QVERIFY(result);
        QCOMPARE(directCalls->changes.size(), 1);
        QCOMPARE(bus_.setTimeCalls().size(), timeServiceCalls);
        QCOMPARE(result->ok, reason.isEmpty());
        QCOMPARE(result->reason, reason);
    }

private:
    PrivateBus bus_;
};

QTEST_GUILESS_MAIN(TstSystemClockSetter)
#include "tst_systemclocksetter.moc"
