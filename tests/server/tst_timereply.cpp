#include <QTest>

#include "timereply.h"

class TstTimeReply : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answersWellFormedQueries_data();
    void answersWellFormedQueries();
    void ignoresGarbage_data();
    void ignoresGarbage();
    void namesTheMonthInEnglish_data();
    void namesTheMonthInEnglish();
    void writesTheTimeInUtc_data();
    void writesTheTimeInUtc();
};

namespace {
const QDateTime SomeMoment(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC);
}

void TstTimeReply::answersWellFormedQueries_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("one digit") << QByteArray("1") << QByteArray("1:06Dec26170000");
    QTest::newRow("two digits") << QByteArray("12") << QByteArray("12:06Dec26170000");
    QTest::newRow("five digits") << QByteArray("99999") << QByteArray("99999:06Dec26170000");
    QTest::newRow("leading zero kept") << QByteArray("007") << QByteArray("007:06Dec26170000");
    QTest::newRow("blanks around") << QByteArray(" 3\t") << QByteArray("3:06Dec26170000");
    QTest::newRow("line end after") << QByteArray("4\r\n") << QByteArray("4:06Dec26170000");
}

void TstTimeReply::answersWellFormedQueries() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, reply);
    QCOMPARE(timeReply(query, SomeMoment), reply);
}

void TstTimeReply::ignoresGarbage_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("blanks only") << QByteArray("  ");
    QTest::newRow("letters") << QByteArray("abc");
    QTest::newRow("digit then letter") << QByteArray("1x");
    QTest::newRow("negative") << QByteArray("-1");
    QTest::newRow("plus sign") << QByteArray("+1");
    QTest::newRow("six digits") << QByteArray("123456");
    QTest::newRow("blank inside") << QByteArray("1 2");
    QTest::newRow("fraction") << QByteArray("1.0");
    QTest::newRow("nul byte") << QByteArray("1\0", 2);
}

void TstTimeReply::ignoresGarbage() {
    QFETCH(QByteArray, query);
    QVERIFY(timeReply(query, SomeMoment).isEmpty());
}

void TstTimeReply::namesTheMonthInEnglish_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<QByteArray>("name");
    const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int month = 1; month <= 12; ++month)
        QTest::newRow(names[month - 1]) << month << QByteArray(names[month - 1]);
}

void TstTimeReply::namesTheMonthInEnglish() {
    QFETCH(int, month);
    QFETCH(QByteArray, name);
    // Whatever language the machine speaks.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German));
    const QDateTime utc(QDate(2026, month, 9), QTime(8, 7, 6), Qt::UTC);
    const QByteArray reply = timeReply("5", utc);
    QLocale::setDefault(before);
    QCOMPARE(reply, "5:09" + name + "26080706");
}

void TstTimeReply::writesTheTimeInUtc_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("midnight") << QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC)
                              << QByteArray("1:01Jan00000000");
    QTest::newRow("last second of a year")
        << QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC)
        << QByteArray("1:31Dec99235959");
    QTest::newRow("given with an offset")
        << QDateTime(QDate(2026, 3, 1), QTime(0, 30), Qt::OffsetFromUTC, 3600)
        << QByteArray("1:28Feb26233000");
}

void TstTimeReply::writesTheTimeInUtc() {
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, reply);
    QCOMPARE(timeReply("1", now), reply);
}

QTEST_APPLESS_MAIN(TstTimeReply)
#include "tst_timereply.moc"
