#include <time.h>
#include <QTest>
#include <cfloat>

#include "common/dateform.h"
#include "common/leadingnumber.h"
#include "common/walltime.h"
#include "config/fieldchecks.h"
#include "serverlist/addresschecks.h"

using Check = QString (*)(const QString&);

// The address field checked with "99" in the port field: "address|port".
static QString addressFields(const QString& ipText) {
    const AddressFields fields = checkedAddress(ipText, QStringLiteral("99"));
    return fields.ip + u'|' + fields.port;
}

// The text of the fields: numbers read, checked when the focus leaves, date-times read back.
class FieldTextTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The number a text begins with, and the whole number it rounds to, halves to even.
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::addColumn<double>("rounded");
        QTest::newRow("no number") << "abc" << 0.0 << 0.0;
        QTest::newRow("blanks, tabs and line feeds skipped") << "\t1 0\n2.5x" << 102.5 << 102.0;
        QTest::newRow("carriage return ends it") << "3.5\r2" << 3.5 << 4.0;
        QTest::newRow("comma ends it") << "-0.5,9" << -0.5 << 0.0;
        QTest::newRow("D for E") << "-25d-1" << -2.5 << -2.0;
        QTest::newRow("exponent sign without digits") << "1.5e+" << 1.5 << 2.0;
        QTest::newRow("hexadecimal") << "&h1f" << 31.0 << 31.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0 << 1.0;
        QTest::newRow("beyond the range") << "-1e999" << -DBL_MAX << -DBL_MAX;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, number);
        QCOMPARE(::leadingNumber(text), number);
        QTEST(roundHalfEven(number), "rounded");
    }

    void checksOnLeavingAField_data() {
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("checked");
        const auto row = [](const char* name, Check check, const char* text, const char* checked) {
            QTest::newRow(name) << check << QString(text) << QString(checked);
        };
        row("attempts 0", checkedAttempts, "0", "1");
        row("attempts 100", checkedAttempts, "100", "99");
        row("ms 9", checkedMilliseconds, "9", "10");
        row("ms down to tens", checkedMilliseconds, "995", "990");
        row("ms huge", checkedMilliseconds, "123456789012345678901", "123456789012345683968");
        row("period below 1", checkedUpdatePeriod, "0.9", "6");
        row("period 1", checkedUpdatePeriod, "1", "1");
        row("port 0", checkedPort, "0", "1610");
        row("port 32767.9", checkedPort, "32767.9", "32767");
        row("port 32768", checkedPort, "32768", "1610");
        row("address empty", addressFields, "", "localhost|99");
        row("address trimmed, port after the first colon", addressFields, " a : 80:9", "a|80");
        row("empty port after a colon", addressFields, "a:", "a|1610");
    }
    void checksOnLeavingAField() {
        QFETCH(Check, check);
        QFETCH(QString, text);
        QTEST(check(text), "checked");
    }

    // 12-hour times in en_US and ko_KR (mark first), no colons in ja_JP; New York skips 2:30.
    void dateTimeReadsBack_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDateTime>("wall");
        for (const char* name : {"en_US", "ko_KR", "ja_JP"})
            for (const QDateTime& wall : {wallTime(QDate(2026, 12, 6), QTime(0, 0)),
                                          wallTime(QDate(1899, 12, 31), QTime(13, 14, 15)),
                                          wallTime(QDate(2026, 3, 8), QTime(2, 30))})
                QTest::addRow("%s %s", name, qPrintable(wall.toString(Qt::ISODate)))
                    << QLocale(QString::fromLatin1(name)) << wall;
    }
    void dateTimeReadsBack() {
        qputenv("TZ", "America/New_York");
        tzset();
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, wall);
        const QString text = DateForm::generalDateTime(wall, locale);
        QCOMPARE(DateForm::readGeneralDateTime(text, locale), wall);
    }
};

QTEST_APPLESS_MAIN(FieldTextTest)
#include "tst_fieldtext.moc"
