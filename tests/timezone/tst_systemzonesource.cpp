#include <time.h>
#include <QTest>

#include "platform/systemzonesource.h"
#include "support/fakeclock.h"
#include "timezone/timezone.h"

// The machine's zone, chosen with TZ for each case. QTimeZone::systemTimeZone() follows a
// changed TZ within the process, and one source serves every case: nothing may be cached.
class TstSystemZoneSource : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void describesTheZone_data();
    void describesTheZone();

private:
    FakeClock clock_;  // in 2026: the offsets are those of that year
    SystemZoneSource source_{clock_};
};

void TstSystemZoneSource::initTestCase() {
    if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/America/New_York")))
        QSKIP("The zone data (Debian package tzdata) is not installed.");
}

void TstSystemZoneSource::describesTheZone_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("bias");
    QTest::addColumn<int>("daylightBias");
    QTest::addColumn<int>("januaryBias");
    QTest::addColumn<int>("julyBias");
    QTest::addColumn<std::optional<bool>>("daylightInJuly");
    const std::optional<bool> no = false;
    const std::optional<bool> yes = true;
    QTest::newRow("New York") << QByteArray("America/New_York") << 300 << -60 << 300 << 240 << yes;
    QTest::newRow("Berlin") << QByteArray("Europe/Berlin") << -60 << -60 << -60 << -120 << yes;
    // Its data calls winter the daylight period; here summer is daylight time all the same.
    QTest::newRow("Dublin") << QByteArray("Europe/Dublin") << 0 << -60 << 0 << -60 << yes;
    QTest::newRow("Kolkata") << QByteArray("Asia/Kolkata") << -330 << 0 << -330 << -330
                             << std::optional<bool>();
    // Half an hour of daylight saving, in the southern summer.
    QTest::newRow("Lord Howe") << QByteArray("Australia/Lord_Howe") << -630 << -30 << -660 << -630
                               << no;
    QTest::newRow("UTC") << QByteArray("UTC") << 0 << 0 << 0 << 0 << std::optional<bool>();
}

void TstSystemZoneSource::describesTheZone() {
    QFETCH(QByteArray, zone);
    QFETCH(int, bias);
    QFETCH(int, daylightBias);
    QFETCH(int, januaryBias);
    QFETCH(int, julyBias);
    QFETCH(std::optional<bool>, daylightInJuly);
    qputenv("TZ", zone);
    tzset();

    const TimeZoneInformation info = source_.GetTimeZoneInformation();
    QCOMPARE(info.Bias, bias);
    QCOMPARE(info.DaylightBias, daylightBias);
    const QDateTime january(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
    const QDateTime july(QDate(2026, 7, 15), QTime(12, 0), Qt::UTC);
    QCOMPARE(source_.biasAt(january), januaryBias);
    QCOMPARE(source_.biasAt(july), julyBias);
    QCOMPARE(TimeZone(source_, clock_).daylightTimeAt(july), daylightInJuly);
}

QTEST_APPLESS_MAIN(TstSystemZoneSource)
#include "tst_systemzonesource.moc"
