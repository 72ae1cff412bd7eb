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
    void initTestCase() {
        if (!QFile::exists(QStringLiteral("/usr/share/zoneinfo/America/New_York")))
            QSKIP("The zone data (Debian package tzdata) is not installed.");
    }

    void describesTheZone_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("standardOffset");
        QTest::addColumn<int>("daylightShift");
        QTest::addColumn<int>("januaryOffset");
        QTest::addColumn<int>("julyOffset");
        QTest::addColumn<std::optional<bool>>("daylightInJuly");
        const std::optional<bool> yes = true, no = false, none;
        QTest::newRow("New York") << QByteArray("America/New_York") << 300 << -60 << 300 << 240
                                  << yes;
        // Its data calls winter the daylight period; here summer is daylight time all the same.
        QTest::newRow("Dublin") << QByteArray("Europe/Dublin") << 0 << -60 << 0 << -60 << yes;
        QTest::newRow("Kolkata") << QByteArray("Asia/Kolkata") << -330 << 0 << -330 << -330 << none;
        // Half an hour of daylight saving, in the southern summer.
        QTest::newRow("Lord Howe")
            << QByteArray("Australia/Lord_Howe") << -630 << -30 << -660 << -630 << no;
    }
    void describesTheZone() {
        QFETCH(QByteArray, zone);
        qputenv("TZ", zone);
        tzset();
        const QDateTime january(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC);
        const QDateTime july(QDate(2026, 7, 15), QTime(12, 0), Qt::UTC);
        QTEST(source_.offsets().standardOffset, "standardOffset");
        QTEST(source_.offsets().daylightShift, "daylightShift");
        QTEST(source_.offsetAt(january).value_or(-1), "januaryOffset");
        QTEST(source_.offsetAt(july).value_or(-1), "julyOffset");
        QTEST(TimeZone(source_).daylightTimeAt(july), "daylightInJuly");
    }

private:
    FakeClock clock_;  // in 2026: the offsets are those of that year
    SystemZoneSource source_{clock_};
};

QTEST_APPLESS_MAIN(TstSystemZoneSource)
#include "tst_systemzonesource.moc"
