// The system's clock watch: the zone's next change of offset comes from the machine's zone
// (chosen with TZ for each case), and the watch can hear of clock changes at all.
#include <QTest>

#include "platform/systemclockwatch.h"

class TstSystemClockWatch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nextOffsetChangeFollowsTheZone_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("utc");
        QTest::addColumn<QDateTime>("change");
        // The European Union changes at 01:00 UTC on the last Sundays of March and October.
        QTest::newRow("Berlin, winter")
            << QByteArray("Europe/Berlin") << QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC)
            << QDateTime(QDate(2026, 3, 29), QTime(1, 0), Qt::UTC);
        QTest::newRow("Berlin, summer")
            << QByteArray("Europe/Berlin") << QDateTime(QDate(2026, 7, 1), QTime(0, 0), Qt::UTC)
            << QDateTime(QDate(2026, 10, 25), QTime(1, 0), Qt::UTC);
        // United States: 2 a.m. local on the second Sunday of March (EST, UTC-5).
        QTest::newRow("New York, winter") << QByteArray("America/New_York")
                                          << QDateTime(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC)
                                          << QDateTime(QDate(2027, 3, 14), QTime(7, 0), Qt::UTC);
        QTest::newRow("UTC has none")
            << QByteArray("UTC") << QDateTime(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC)
            << QDateTime();
    }
    void nextOffsetChangeFollowsTheZone() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, utc);
        QFETCH(QDateTime, change);
        qputenv("TZ", zone);
        const SystemClockWatch watch;
        QCOMPARE(watch.nextOffsetChange(utc).value_or(QDateTime()), change);
    }

    void hearsOfClockChanges() { QVERIFY(SystemClockWatch().valid()); }
};

QTEST_GUILESS_MAIN(TstSystemClockWatch)
#include "tst_systemclockwatch.moc"
