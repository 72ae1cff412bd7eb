#include <QTest>

#include "timereply.h"

class TimeReplyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void answersWellFormedQueriesOnly_data() {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("reply");
        const QDateTime utc(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
        QTest::newRow("five digits, blanks around, midnight")
            << QByteArray(" 09999\t\r\n") << utc << QByteArray("09999:01Jan00000000");
        QTest::newRow("given with an offset, seconds cut")
            << QByteArray("1")
            << QDateTime(QDate(2026, 3, 1), QTime(0, 30, 59, 999), Qt::OffsetFromUTC, 3600)
            << QByteArray("1:28Feb26233059");
        QTest::newRow("digit then letter") << QByteArray("1x") << utc << QByteArray();
        QTest::newRow("six digits") << QByteArray("123456") << utc << QByteArray();
    }
    void answersWellFormedQueriesOnly() {
        QLocale::setDefault(QLocale(QLocale::German));  // months stay English
        QFETCH(QByteArray, query);
        QFETCH(QDateTime, now);
        QTEST(timeReply(query, now), "reply");
    }
};

QTEST_APPLESS_MAIN(TimeReplyTest)
#include "tst_timereply.moc"
