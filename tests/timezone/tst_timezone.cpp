#include <QTest>

#include "support/fakeclock.h"
#include "support/fixedzonesource.h"
#include "timezone/timezone.h"

class TstTimeZone : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void computesFromTheZoneAndNow_data() {
        QTest::addColumn<int>("standardOffset");
        QTest::addColumn<int>("daylightShift");
        QTest::addColumn<QDateTime>("localNow");
        QTest::addColumn<QDateTime>("utcStandard");
        QTest::addColumn<QDateTime>("utcDaylight");
        const QDate day(2026, 12, 6);
        const auto at = [day](int hour, int minute) { return wallTime(day, QTime(hour, minute)); };
        QTest::newRow("west, fraction of a second cut")
            << 300 << -60 << wallTime(day, QTime(12, 0, 0, 750)) << at(17, 0) << at(16, 0);
        QTest::newRow("no daylight saving") << -330 << 0 << at(12, 0) << at(6, 30) << at(6, 30);
        QTest::newRow("east, into the day before")
            << -60 << -60 << at(0, 30) << wallTime(day.addDays(-1), QTime(23, 30))
            << wallTime(day.addDays(-1), QTime(22, 30));
    }
    void computesFromTheZoneAndNow() {
        QFETCH(int, standardOffset);
        QFETCH(int, daylightShift);
        QFETCH(QDateTime, localNow);
        const FixedZoneSource zone(standardOffset, daylightShift);
        const FakeClock clock(localNow);
        const TimeZone timeZone(zone, clock);
        QTEST(timeZone.standardUtcNow(), "utcStandard");
        QTEST(timeZone.daylightUtcNow(), "utcDaylight");
        QCOMPARE(timeZone.daylightOffset(), standardOffset + daylightShift);
    }
};

QTEST_APPLESS_MAIN(TstTimeZone)
#include "tst_timezone.moc"
