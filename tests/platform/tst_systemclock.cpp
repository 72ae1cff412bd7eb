#include <time.h>
#include <QTest>

#include "platform/systemclock.h"

class TstSystemClock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheLocalWallTime_data();
    void showsTheLocalWallTime();
    void spanClocksNeverGoBack();
};

void TstSystemClock::showsTheLocalWallTime_data() {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<int>("offsetMinutes");
    QTest::newRow("UTC") << QByteArray("UTC") << 0;
    QTest::newRow("Kolkata") << QByteArray("Asia/Kolkata") << 330;
}

void TstSystemClock::showsTheLocalWallTime() {
    QFETCH(QByteArray, zone);
    QFETCH(int, offsetMinutes);
    qputenv("TZ", zone);
    tzset();
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    const QDateTime wall = SystemClock().localNow();
    // The wall time carries the local clock's fields; marking it UTC only keeps arithmetic plain.
    QCOMPARE(wall.timeSpec(), Qt::UTC);
    QVERIFY(qAbs(utc.addSecs(offsetMinutes * 60).msecsTo(wall)) < 1000);
}

void TstSystemClock::spanClocksNeverGoBack() {
    const SystemClock clock;
    const qint64 monotonic = clock.monotonicMs();
    const qint64 boottime = clock.boottimeMs();
    QTest::qWait(20);
    QVERIFY(clock.monotonicMs() - monotonic >= 20);
    QVERIFY(clock.boottimeMs() - boottime >= 20);
}

QTEST_GUILESS_MAIN(TstSystemClock)
#include "tst_systemclock.moc"
