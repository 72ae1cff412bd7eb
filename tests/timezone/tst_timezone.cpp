#include <QTest>

#include "support/fakeclock.h"
#include "support/fixedzonesource.h"
#include "timezone/timezone.h"

class TstTimeZone : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void computesFromTheZoneAndNow_data();
    void computesFromTheZoneAndNow();
    void tellsDaylightTime_data();
    void tellsDaylightTime();
};

void TstTimeZone::computesFromTheZoneAndNow_data() {
    QTest::addColumn<int>("bias");
    QTest::addColumn<int>("daylightBias");
    QTest::addColumn<QDateTime>("localNow");
    QTest::addColumn<QDateTime>("utcStandard");
    QTest::addColumn<QDateTime>("utcDaylight");
    QTest::addColumn<int>("daylightTotalBias");
    const QDate day(2026, 12, 6);
    QTest::newRow("five hours west")
        << 300 << -60 << wallTime(day, QTime(12, 0)) << wallTime(day, QTime(17, 0))
        << wallTime(day, QTime(16, 0)) << 240;
    QTest::newRow("one hour east")
        << -60 << -60 << wallTime(day, QTime(12, 0)) << wallTime(day, QTime(11, 0))
        << wallTime(day, QTime(10, 0)) << -120;
    QTest::newRow("no daylight saving")
        << -330 << 0 << wallTime(day, QTime(12, 0)) << wallTime(day, QTime(6, 30))
        << wallTime(day, QTime(6, 30)) << -330;
    QTest::newRow("zone unknown") << 0 << 0 << wallTime(day, QTime(12, 0))
                                  << wallTime(day, QTime(12, 0)) << wallTime(day, QTime(12, 0))
                                  << 0;
    QTest::newRow("next day") << 60 << -60 << wallTime(day, QTime(23, 30))
                              << wallTime(day.addDays(1), QTime(0, 30))
                              << wallTime(day, QTime(23, 30)) << 0;
    QTest::newRow("next month") << 60 << -60 << wallTime(QDate(2026, 4, 30), QTime(23, 30))
                                << wallTime(QDate(2026, 5, 1), QTime(0, 30))
                                << wallTime(QDate(2026, 4, 30), QTime(23, 30)) << 0;
    QTest::newRow("next year") << 60 << -60 << wallTime(QDate(2026, 12, 31), QTime(23, 30))
                               << wallTime(QDate(2027, 1, 1), QTime(0, 30))
                               << wallTime(QDate(2026, 12, 31), QTime(23, 30)) << 0;
    QTest::newRow("previous year") << -60 << -60 << wallTime(QDate(2027, 1, 1), QTime(0, 30))
                                   << wallTime(QDate(2026, 12, 31), QTime(23, 30))
                                   << wallTime(QDate(2026, 12, 31), QTime(22, 30)) << -120;
    QTest::newRow("fraction of a second cut")
        << 300 << -60 << wallTime(day, QTime(12, 0, 0, 750)) << wallTime(day, QTime(17, 0))
        << wallTime(day, QTime(16, 0)) << 240;
}

void TstTimeZone::computesFromTheZoneAndNow() {
    QFETCH(int, bias);
    QFETCH(int, daylightBias);
    QFETCH(QDateTime, localNow);
    QFETCH(QDateTime, utcStandard);
    QFETCH(QDateTime, utcDaylight);
    QFETCH(int, daylightTotalBias);
    const FixedZoneSource zone(bias, daylightBias);
    const FakeClock clock(localNow);
    const TimeZone timeZone(zone, clock);
    QCOMPARE(timeZone.GetUTCStandardTime(), utcStandard);
    QCOMPARE(timeZone.GetUTCDaylightTime(), utcDaylight);
    QCOMPARE(timeZone.GetStandardBias(), bias);
    QCOMPARE(timeZone.GetDaylightTotalBias(), daylightTotalBias);
    QCOMPARE(timeZone.GetDaylightBias(), daylightBias);
}

void TstTimeZone::tellsDaylightTime_data() {
    QTest::addColumn<int>("daylightBias");
    QTest::addColumn<bool>("daylightInForce");
    QTest::addColumn<std::optional<bool>>("daylightTime");
    QTest::newRow("daylight time") << -60 << true << std::optional<bool>(true);
    QTest::newRow("standard time") << -60 << false << std::optional<bool>(false);
    QTest::newRow("zone without daylight saving") << 0 << false << std::optional<bool>();
}

void TstTimeZone::tellsDaylightTime() {
    QFETCH(int, daylightBias);
    QFETCH(bool, daylightInForce);
    QFETCH(std::optional<bool>, daylightTime);
    FixedZoneSource zone(300, daylightBias);
    zone.setDaylightInForce(daylightInForce);
    const FakeClock clock;
    const TimeZone timeZone(zone, clock);
    QCOMPARE(timeZone.daylightTimeAt(QDateTime(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC)),
             daylightTime);
}

QTEST_APPLESS_MAIN(TstTimeZone)
#include "tst_timezone.moc"
