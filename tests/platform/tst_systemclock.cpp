#include <time.h>
#include <QTest>

#include "platform/systemclock.h"

class TstSystemClock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheLocalWallTime() {
        qputenv("TZ", "Asia/Kolkata");
        tzset();
        const QDateTime utc = QDateTime::currentDateTimeUtc();
        const QDateTime wall = SystemClock().localNow();
        // The local clock's fields, marked UTC only to keep arithmetic plain.
        QCOMPARE(wall.timeSpec(), Qt::UTC);
        QVERIFY(qAbs(utc.addSecs(330 * 60).msecsTo(wall)) < 1000);
    }
};

QTEST_GUILESS_MAIN(TstSystemClock)
#include "tst_systemclock.moc"
