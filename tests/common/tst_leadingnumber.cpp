#include <QTest>
#include <cfloat>
#include <clocale>

#include "common/leadingnumber.h"

class TstLeadingNumber : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsTheLeadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("blanks before, letter after") << "  2x" << 2.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("blanks, tabs and line feeds skipped") << "\t1 0\n2" << 102.0;
        QTest::newRow("carriage return ends it") << "1\r2" << 1.0;
        QTest::newRow("comma ends it") << "1,610" << 1.0;
        QTest::newRow("negative exponent") << "25E-1" << 2.5;
        QTest::newRow("D exponent") << "1d2" << 100.0;
        QTest::newRow("exponent sign without digits") << "1e+" << 1.0;
        QTest::newRow("hexadecimal") << "&h1f" << 31.0;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0;
        QTest::newRow("ampersand and other letter") << "&X1" << 0.0;
        QTest::newRow("beyond the range, negative") << "-1e999" << -DBL_MAX;
        QTest::newRow("400 hexadecimal digits") << "&H" + QString(400, u'F') << DBL_MAX;
    }
    void readsTheLeadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, number);
        QCOMPARE(leadingNumber(text), number);
    }

    void readsAFullStopWhateverTheProcessLocale() {
        // QCoreApplication adopts the user's locale for the C library; in these the decimal sign
        // of the C library is a comma.
        const QByteArray before = std::setlocale(LC_NUMERIC, nullptr);
        bool commaLocale = false;
        for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
            commaLocale = commaLocale || std::setlocale(LC_NUMERIC, name);
        if (!commaLocale)
            QSKIP("No locale with a decimal comma is installed.");
        const double number = leadingNumber(u"3.7");
        std::setlocale(LC_NUMERIC, before.constData());
        QCOMPARE(number, 3.7);
    }
};

QTEST_APPLESS_MAIN(TstLeadingNumber)
#include "tst_leadingnumber.moc"
