#include <QTest>

#include "timereply.h"

class TstTimeReply : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        // Months are named in English whatever language the machine speaks.
        QLocale::setDefault(QLocale(QLocale::German));
    }

    void answersWellFormedQueriesOnly_data() {
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("reply");
        const QDateTime december(QDate(2026, 12, 6), QTime(17, 0), Qt::UTC);
        const auto row = [](const char* name, const QByteArray& query, const QDateTime& now,
                            const QByteArray& reply) {
            QTest::newRow(name) << query << now << reply;
        };
        row("one digit", "1", december, "1:06Dec26170000");
        row("five digits", "99999", december, "99999:06Dec26170000");
        row("leading zero kept", "007", december, "007:06Dec26170000");
        row("blanks and line end around", " 3\t\r\n", december, "3:06Dec26170000");
        row("midnight", "1", QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC), "1:01Jan00000000");
        row("last instant of a year", "1",
            QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC), "1:31Dec99235959");
        row("given with an offset", "1",
            QDateTime(QDate(2026, 3, 1), QTime(0, 30), Qt::OffsetFromUTC, 3600), "1:28Feb26233000");
        row("blanks only", " \r\n", december, "");
        row("digit then letter", "1x", december, "");
        row("six digits", "123456", december, "");
    }
    void answersWellFormedQueriesOnly() {
        QFETCH(QByteArray, query);
        QFETCH(QDateTime, now);
        QTEST(timeReply(query, now), "reply");
    }
};

QTEST_APPLESS_MAIN(TstTimeReply)
#include "tst_timereply.moc"
