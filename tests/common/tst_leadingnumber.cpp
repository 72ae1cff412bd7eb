#include <QRegularExpression>
#include <QTest>
#include <cfloat>
#include <clocale>
#include <cmath>

#include "common/leadingnumber.h"

class TstLeadingNumber : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsTheLeadingNumber_data();
    void readsTheLeadingNumber();
    void readsAFullStopWhateverTheProcessLocale();
    void roundsHalvesToEven_data();
    void roundsHalvesToEven();
    void writesWholeNumbersAsDigits_data();
    void writesWholeNumbersAsDigits();
    void writesTheLargestNumberInFullDigits();
};

void TstLeadingNumber::readsTheLeadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("one digit") << "1" << 1.0;
    QTest::newRow("blanks before, letter after") << "  2x" << 2.0;
    QTest::newRow("no number") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blank between digits") << "1 0" << 10.0;
    QTest::newRow("negative fraction") << "-3.7" << -3.7;
    QTest::newRow("port with blank") << "8 0" << 80.0;
    QTest::newRow("fraction") << "80.9" << 80.9;
    QTest::newRow("comma ends it") << "1,610" << 1.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("exponent sign without digits") << "1e+" << 1.0;
    QTest::newRow("negative exponent") << "25E-1" << 2.5;
    QTest::newRow("D exponent") << "1d2" << 100.0;
    QTest::newRow("hexadecimal") << "&H1F" << 31.0;
    QTest::newRow("hexadecimal lower case") << "&h1f" << 31.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
    QTest::newRow("ampersand alone") << "&" << 0.0;
    QTest::newRow("ampersand and other letter") << "&X1" << 0.0;
    QTest::newRow("leading full stop") << ".5" << 0.5;
    QTest::newRow("plus sign") << "+5" << 5.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("full stop alone") << "." << 0.0;
    QTest::newRow("beyond the range") << "1e999" << DBL_MAX;
    QTest::newRow("beyond the range, negative") << "-1e999" << -DBL_MAX;
    QTest::newRow("below the smallest") << "1e-999" << 0.0;
    QTest::newRow("400 hexadecimal digits") << "&H" + QString(400, u'F') << DBL_MAX;
    QTest::newRow("tabs and line feeds skipped") << "\t1\n2" << 12.0;
    QTest::newRow("carriage return ends it") << "1\r2" << 1.0;
    QTest::newRow("carriage return first") << "\r5" << 0.0;
}

void TstLeadingNumber::readsTheLeadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(leadingNumber(text), number);
}

void TstLeadingNumber::readsAFullStopWhateverTheProcessLocale() {
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

void TstLeadingNumber::roundsHalvesToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("2.4") << 2.4 << 2.0;
    QTest::newRow("2.6") << 2.6 << 3.0;
    QTest::newRow("-0.5") << -0.5 << -0.0;
    QTest::newRow("-1.5") << -1.5 << -2.0;
    QTest::newRow("65535.5") << 65535.5 << 65536.0;
    QTest::newRow("largest") << DBL_MAX << DBL_MAX;
}

void TstLeadingNumber::roundsHalvesToEven() {
    QFETCH(double, value);
    QFETCH(double, rounded);
    const double result = roundHalfEven(value);
    QCOMPARE(result, rounded);
    QCOMPARE(std::signbit(result), std::signbit(rounded));
}

void TstLeadingNumber::writesWholeNumbersAsDigits_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -20.0 << "-20";
    QTest::newRow("1e15") << 1e15 << "1000000000000000";
    QTest::newRow("1e20") << 1e20 << "100000000000000000000";
    QTest::newRow("-1e20") << -1e20 << "-100000000000000000000";
}

void TstLeadingNumber::writesWholeNumbersAsDigits() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(wholeNumberText(value), text);
}

void TstLeadingNumber::writesTheLargestNumberInFullDigits() {
    const QString text = wholeNumberText(DBL_MAX);
    static const QRegularExpression digits(QStringLiteral("^[1-9][0-9]{308}$"));
    QVERIFY2(digits.match(text).hasMatch(), qPrintable(text));
    QCOMPARE(leadingNumber(text), DBL_MAX);
}

QTEST_APPLESS_MAIN(TstLeadingNumber)
#include "tst_leadingnumber.moc"
