#include <QSignalSpy>
#include <QTest>

#include "support/fakeclock.h"
#include "ui/activitylog.h"

class TstActivityLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writesOneLinePerMessage_data();
    void writesOneLinePerMessage();
    void keepsTheOrderOfCalls();
    void dropsTheOldestBeyondTheCap();
    void keepsNothingWhenToldSoButStillReports();
    void stampFollowsTheLocale_data();
    void stampFollowsTheLocale();
};

namespace {
const QLocale TwentyFourHour = QLocale::c();
}

void TstActivityLog::writesOneLinePerMessage_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("line");
    QTest::newRow("message") << "Program launched."
                             << "[17:05:09]  Program launched.\r\n";
    QTest::newRow("empty message") << ""
                                   << "[17:05:09]  \r\n";
    QTest::newRow("message with CR LF") << "first\r\nsecond"
                                        << "[17:05:09]  first\r\nsecond\r\n";
    QTest::newRow("blanks kept") << "  padded  "
                                 << "[17:05:09]    padded  \r\n";
}

void TstActivityLog::writesOneLinePerMessage() {
    QFETCH(QString, message);
    QFETCH(QString, line);
    const FakeClock clock(wallTime(QDate(2026, 12, 6), QTime(17, 5, 9, 900)));
    ActivityLog log(clock, ActivityLog::DefaultKeptLines, TwentyFourHour);
    QSignalSpy added(&log, &ActivityLog::lineAdded);
    log.AddLog(message);
    QCOMPARE(log.text(), line);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).toString(), line);
}

void TstActivityLog::keepsTheOrderOfCalls() {
    FakeClock clock(wallTime(QDate(2026, 12, 6), QTime(23, 59, 59)));
    ActivityLog log(clock, ActivityLog::DefaultKeptLines, TwentyFourHour);
    log.AddLog(QStringLiteral("one"));
    log.AddLog(QStringLiteral("two"));
    clock.advance(1000);
    log.AddLog(QStringLiteral("three"));
    QCOMPARE(log.text(),
             QStringLiteral("[23:59:59]  one\r\n[23:59:59]  two\r\n[00:00:00]  three\r\n"));
}

void TstActivityLog::dropsTheOldestBeyondTheCap() {
    const FakeClock clock(wallTime(QDate(2026, 12, 6), QTime(8, 0)));
    ActivityLog log(clock, 3, TwentyFourHour);
    for (const char* message : {"a", "b", "c", "d", "e"})
        log.AddLog(QString::fromLatin1(message));
    QCOMPARE(log.lines().size(), size_t(3));
    QCOMPARE(log.text(), QStringLiteral("[08:00:00]  c\r\n[08:00:00]  d\r\n[08:00:00]  e\r\n"));
}

void TstActivityLog::keepsNothingWhenToldSoButStillReports() {
    const FakeClock clock(wallTime(QDate(2026, 12, 6), QTime(8, 0)));
    ActivityLog log(clock, 0, TwentyFourHour);
    QSignalSpy added(&log, &ActivityLog::lineAdded);
    log.AddLog(QStringLiteral("streamed"));
    log.AddLog(QStringLiteral("streamed again"));
    QVERIFY(log.lines().empty());
    QCOMPARE(log.text(), QString());
    QCOMPARE(added.count(), 2);
    QCOMPARE(added.at(1).at(0).toString(), QStringLiteral("[08:00:00]  streamed again\r\n"));
}

void TstActivityLog::stampFollowsTheLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("stamp");
    const QLocale english(QStringLiteral("en_US"));
    const QLocale german(QStringLiteral("de_DE"));
    QTest::newRow("12-hour morning") << english << QTime(9, 41, 7) << "9:41:07 AM";
    QTest::newRow("12-hour noon") << english << QTime(12, 0) << "12:00:00 PM";
    QTest::newRow("12-hour midnight") << english << QTime(0, 0, 1) << "12:00:01 AM";
    QTest::newRow("24-hour afternoon") << german << QTime(21, 41, 7) << "21:41:07";
    QTest::newRow("24-hour morning") << german << QTime(9, 41, 7) << "09:41:07";
}

void TstActivityLog::stampFollowsTheLocale() {
    QFETCH(QLocale, locale);
    QFETCH(QTime, time);
    QFETCH(QString, stamp);
    const FakeClock clock(wallTime(QDate(2026, 12, 6), time));
    const ActivityLog log(clock, ActivityLog::DefaultKeptLines, locale);
    QCOMPARE(log.TimeStamp(), stamp);
}

QTEST_APPLESS_MAIN(TstActivityLog)
#include "tst_activitylog.moc"
