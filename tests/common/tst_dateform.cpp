#include <time.h>
#include <QTest>

#include "common/dateform.h"
#include "common/walltime.h"

// Two of them show 12-hour times, one with the AM/PM mark first; ja_JP writes no colons.
const char* const LocaleNames[] = {"en_US", "ko_KR", "de_DE", "ja_JP", "C"};

// Runs in New York, whose clocks skip from 2:00 to 3:00 on 8 March 2026.
class TstDateForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        qputenv("TZ", "America/New_York");
        tzset();
    }

    void readsBackWhatItWrote_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("wall");
        const QDateTime values[] = {
            wallTime(QDate(2026, 12, 6), QTime(0, 0)),
            wallTime(QDate(2026, 12, 6), QTime(0, 0, 1)),
            wallTime(QDate(2026, 12, 6), QTime(12, 0)),
            wallTime(QDate(2026, 1, 2), QTime(1, 2, 3)),
            wallTime(QDate(1899, 12, 31), QTime(13, 14, 15)),
            wallTime(QDate(2000, 2, 29), QTime(12, 0, 1)),
            wallTime(QDate(2026, 3, 8), QTime(2, 30)),  // skipped by the local clock
        };
        for (const char* name : LocaleNames) {
            for (const QDateTime& wall : values) {
                QTest::addRow("%s %s", name, qPrintable(wall.toString(Qt::ISODate)))
                    << QLocale(QString::fromLatin1(name)) << wall;
            }
        }
    }
    void readsBackWhatItWrote() {
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, wall);
        const QString text = DateForm::generalDateTime(wall, locale);
        QCOMPARE(DateForm::readGeneralDateTime(text, locale), wall);
        // A four-digit year, no zone name, and exactly midnight shows the date alone.
        QVERIFY2(text.contains(QString::number(wall.date().year())), qPrintable(text));
        QVERIFY2(!text.contains(u"UTC") && !text.endsWith(u' '), qPrintable(text));
        if (wall.time() == QTime(0, 0))
            QVERIFY(DateForm::generalDateTime(wall.addSecs(1), locale).startsWith(text + u' '));
    }

    void rejectsTextsOfNoDate_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("no such month") << "13/1/2026 1:00:00 PM";
        QTest::newRow("trailing words") << "12/6/2026 1:00:00 PM soon";
    }
    void rejectsTextsOfNoDate() {
        QFETCH(QString, text);
        QVERIFY(!DateForm::readGeneralDateTime(text, QLocale(QStringLiteral("en_US"))).isValid());
    }
};

QTEST_APPLESS_MAIN(TstDateForm)
#include "tst_dateform.moc"
