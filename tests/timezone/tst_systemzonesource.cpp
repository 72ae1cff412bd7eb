#include <time.h>
#include <QTest>

#include "platform/systemzonesource.h"
#include "support/fakeclock.h"

// The machine's zone, chosen with TZ; one source serves every case, so nothing may be cached.
class SystemZoneSourceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void describesTheZone_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("standardOffset");
        QTest::addColumn<int>("daylightShift");
        QTest::newRow("New York") << QByteArray("America/New_York") << 300 << -60;
        // Its data calls winter the daylight period; the shift stays negative all the same.
        QTest::newRow("Dublin") << QByteArray("Europe/Dublin") << 0 << -60;
    }
    void describesTheZone() {
        QFETCH(QByteArray, zone);
        qputenv("TZ", zone);
        tzset();
        QTEST(source_.offsets().standardOffset, "standardOffset");
        QTEST(source_.offsets().daylightShift, "daylightShift");
    }

private:
    FakeClock clock_;  // in 2026: the offsets are those of that year
    SystemZoneSource source_{clock_};
};

QTEST_APPLESS_MAIN(SystemZoneSourceTest)
#include "tst_systemzonesource.moc"
