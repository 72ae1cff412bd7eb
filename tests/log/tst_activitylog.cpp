#include <QSignalSpy>
#include <QTest>

#include "log/activitylog.h"
#include "support/fakeclock.h"

class TstActivityLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reportsEveryLineAndKeepsTheNewest_data() {
        QTest::addColumn<qsizetype>("kept");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("text");
        QTest::newRow("all kept, in order")
            << ActivityLog::DefaultKeptLines << QStringList{"one", "", "  padded  "}
            << "[08:00:00]  one\r\n[08:00:00]  \r\n[08:00:00]    padded  \r\n";
        QTest::newRow("oldest dropped beyond the cap")
            << qsizetype(2) << QStringList{"a", "b", "c"} << "[08:00:00]  b\r\n[08:00:00]  c\r\n";
        QTest::newRow("nothing kept") << qsizetype(0) << QStringList{"a", "b"} << "";
    }
    void reportsEveryLineAndKeepsTheNewest() {
        QFETCH(qsizetype, kept);
        QFETCH(QStringList, messages);
        // The stamp shows the whole second.
        const FakeClock clock(wallTime(QDate(2026, 12, 6), QTime(8, 0, 0, 900)));
        ActivityLog log(clock, kept, QLocale::c());
        QSignalSpy added(&log, &ActivityLog::lineAdded);
        for (const QString& message : messages)
            log.add(message);
        QTEST(log.text(), "text");
        QCOMPARE(added.count(), messages.size());
        QCOMPARE(added.last().at(0).toString(), "[08:00:00]  " + messages.last() + "\r\n");
    }

    void stampFollowsTheLogsLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("stamp");
        const QLocale english(QStringLiteral("en_US"));
        QTest::newRow("12-hour afternoon") << english << QTime(21, 41, 7) << "9:41:07 PM";
        QTest::newRow("12-hour midnight") << english << QTime(0, 0, 1) << "12:00:01 AM";
        QTest::newRow("24-hour morning")
            << QLocale(QStringLiteral("de_DE")) << QTime(9, 41, 7) << "09:41:07";
    }
    void stampFollowsTheLogsLocale() {
        QFETCH(QLocale, locale);
        QFETCH(QTime, time);
        const FakeClock clock(wallTime(QDate(2026, 12, 6), time));
        QTEST(ActivityLog(clock, ActivityLog::DefaultKeptLines, locale).timeStamp(), "stamp");
    }
};

QTEST_APPLESS_MAIN(TstActivityLog)
#include "tst_activitylog.moc"
