#include <time.h>
#include <QTest>

#include "common/dateform.h"
#include "common/walltime.h"

class TstDateForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void generalFormHasFourDigitYearAndNoZone_data();
    void generalFormHasFourDigitYearAndNoZone();
    void midnightShowsTheDateAlone_data();
    void midnightShowsTheDateAlone();
    void readsBackWhatItWrote_data();
    void readsBackWhatItWrote();
    void readsATimeTheLocalZoneSkips();
    void rejectsTextsOfNoDate_data();
    void rejectsTextsOfNoDate();
    void longTimeFollowsTheLocale_data();
    void longTimeFollowsTheLocale();
};

namespace {

const char* const LocaleNames[] = {"en_US", "de_DE", "fr_FR", "ja_JP",
                                   "C",     "en_GB", "ko_KR", "zh_CN"};

void addLocaleColumn() {
    QTest::addColumn<QLocale>("locale");
}

}  // namespace

void TstDateForm::generalFormHasFourDigitYearAndNoZone_data() {
    addLocaleColumn();
    for (const char* name : LocaleNames)
        QTest::newRow(name) << QLocale(QString::fromLatin1(name));
}

void TstDateForm::generalFormHasFourDigitYearAndNoZone() {
    QFETCH(QLocale, locale);
    const QString text =
        DateForm::generalDateTime(wallTime(QDate(1999, 12, 6), QTime(17, 5, 9)), locale);
    QVERIFY2(text.contains(u"1999"), qPrintable(text));
    QVERIFY2(!text.contains(u"UTC"), qPrintable(text));
    QVERIFY2(!text.endsWith(u' '), qPrintable(text));
}

void TstDateForm::midnightShowsTheDateAlone_data() {
    generalFormHasFourDigitYearAndNoZone_data();
}

void TstDateForm::midnightShowsTheDateAlone() {
    QFETCH(QLocale, locale);
    const QDate date(2026, 12, 6);
    const QString midnight = DateForm::generalDateTime(wallTime(date, QTime(0, 0)), locale);
    const QString aSecondLater = DateForm::generalDateTime(wallTime(date, QTime(0, 0, 1)), locale);
    QVERIFY2(aSecondLater.startsWith(midnight + u' '), qPrintable(midnight + u'|' + aSecondLater));
}

void TstDateForm::readsBackWhatItWrote_data() {
    addLocaleColumn();
    QTest::addColumn<QDateTime>("wall");
    const QDateTime values[] = {
        wallTime(QDate(2026, 12, 6), QTime(0, 0)),
        wallTime(QDate(2026, 12, 6), QTime(0, 0, 1)),
        wallTime(QDate(2026, 12, 6), QTime(12, 0)),
        wallTime(QDate(2026, 12, 6), QTime(23, 59, 59)),
        wallTime(QDate(2026, 1, 2), QTime(1, 2, 3)),
        wallTime(QDate(1899, 12, 31), QTime(13, 14, 15)),
        wallTime(QDate(1950, 6, 30), QTime(11, 59, 59)),
        wallTime(QDate(2000, 2, 29), QTime(12, 0, 1)),
        wallTime(QDate(2049, 7, 4), QTime(9, 30)),
        wallTime(QDate(2100, 2, 28), QTime(18, 45, 5)),
    };
    for (const char* name : LocaleNames) {
        for (const QDateTime& wall : values) {
            QTest::addRow("%s %s", name, qPrintable(wall.toString(Qt::ISODate)))
                << QLocale(QString::fromLatin1(name)) << wall;
        }
    }
}

void TstDateForm::readsBackWhatItWrote() {
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, wall);
    const QString text = DateForm::generalDateTime(wall, locale);
    QCOMPARE(DateForm::readGeneralDateTime(text, locale), wall);
}

void TstDateForm::readsATimeTheLocalZoneSkips() {
    // 2:30 on this morning did not happen in New York; a shown date-time names it all the same.
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    const QLocale english(QStringLiteral("en_US"));
    const QDateTime read =
        DateForm::readGeneralDateTime(QStringLiteral("3/8/2026 2:30:00 AM"), english);
    if (before.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", before);
    tzset();
    QCOMPARE(read, wallTime(QDate(2026, 3, 8), QTime(2, 30)));
}

void TstDateForm::rejectsTextsOfNoDate_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("words") << "next Tuesday";
    QTest::newRow("no such month") << "13/1/2026 1:00:00 PM";
    QTest::newRow("no such hour") << "12/6/2026 13:00:00 PM";
    QTest::newRow("time without date") << "1:00:00 PM";
    QTest::newRow("trailing words") << "12/6/2026 1:00:00 PM soon";
}

void TstDateForm::rejectsTextsOfNoDate() {
    QFETCH(QString, text);
    QVERIFY(!DateForm::readGeneralDateTime(text, QLocale(QStringLiteral("en_US"))).isValid());
}

void TstDateForm::longTimeFollowsTheLocale_data() {
    addLocaleColumn();
    QTest::addColumn<QString>("shown");
    QTest::newRow("en_US") << QLocale(QStringLiteral("en_US")) << "5:05:09 PM";
    QTest::newRow("de_DE") << QLocale(QStringLiteral("de_DE")) << "17:05:09";
    QTest::newRow("en_GB") << QLocale(QStringLiteral("en_GB")) << "17:05:09";
    QTest::newRow("C") << QLocale::c() << "17:05:09";
    QTest::newRow("ja_JP") << QLocale(QStringLiteral("ja_JP")) << "17時05分09秒";
    QTest::newRow("zh_CN") << QLocale(QStringLiteral("zh_CN")) << "17:05:09";
}

void TstDateForm::longTimeFollowsTheLocale() {
    QFETCH(QLocale, locale);
    QFETCH(QString, shown);
    QCOMPARE(DateForm::longTime(QTime(17, 5, 9), locale), shown);
}

QTEST_APPLESS_MAIN(TstDateForm)
#include "tst_dateform.moc"
