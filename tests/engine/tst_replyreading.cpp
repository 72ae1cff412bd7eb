#include <QTest>

#include "engine/replydate.h"

class ReplyReadingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The 13 characters after the colon: ddMmmyyhhmmss in UTC, the century nearest today's.
    void dateIsRead_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDateTime>("utc");
        const auto row = [](const char* name, const char* reply, QDateTime utc = {},
                            QDate today = QDate(2026, 12, 6)) {
            QTest::newRow(name) << QByteArray(reply) << today << utc;
        };
        const auto utc = [](int y, int mo, int d, int h) {
            return QDateTime(QDate(y, mo, d), QTime(h, 0), Qt::UTC);
        };
        row("any case, one-digit day", "1:6dEC26170000", utc(2026, 12, 6, 17));
        row("no colon", "06Dec26170000", utc(2026, 12, 6, 17));
        row("century back", "1:01Jan99000000", utc(1999, 1, 1, 0), QDate(2026, 1, 1));
        row("century ahead", "1:01Jan01000000", utc(2101, 1, 1, 0), QDate(2099, 12, 1));
        row("tie takes the later", "1:01Jan76000000", utc(2076, 1, 1, 0), QDate(2026, 1, 1));
        row("leap day", "1:29Feb28120000", utc(2028, 2, 29, 12));
        row("no such day", "1:30Feb28120000");
        row("no such month", "1:06Dek26170000");
        row("hour 24", "1:06Dec26240000");
        row("too long", "1:06Dec261700000");
        row("sign inside", "1:06Dec26+70000");
    }
    void dateIsRead() {
        QFETCH(QByteArray, reply);
        QFETCH(QDate, today);
        QTEST(readReplyDateTime(reply, today).value_or(QDateTime()), "utc");
    }
};

QTEST_APPLESS_MAIN(ReplyReadingTest)
#include "tst_replyreading.moc"
