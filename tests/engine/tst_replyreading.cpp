#include <QTest>

#include "engine/replydate.h"
#include "engine/replytext.h"
#include "engine/ticker.h"

// The pure pieces of reading a reply: its date and its shown form; and the tick delay.
class ReplyReadingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dateIsRead_data();
    void dateIsRead();
    void replyIsShownSafely_data();
    void replyIsShownSafely();
    void tickWaitsForBoundaryOrDeadline_data();
    void tickWaitsForBoundaryOrDeadline();
};

void ReplyReadingTest::dateIsRead_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDateTime>("utc");
    const QDate today(2026, 12, 6);
    const auto utc = [](int y, int mo, int d, int h, int mi, int s) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("usual") << QByteArray("3:06Dec26170000") << today << utc(2026, 12, 6, 17, 0, 0);
    QTest::newRow("any case") << QByteArray("1:06dEC26170000") << today
                              << utc(2026, 12, 6, 17, 0, 0);
    QTest::newRow("one-digit day")
        << QByteArray("1:6Dec26170000") << today << utc(2026, 12, 6, 17, 0, 0);
    QTest::newRow("no colon") << QByteArray("06Dec26170000") << today << utc(2026, 12, 6, 17, 0, 0);
    QTest::newRow("nothing after the colon") << QByteArray("1:") << today << QDateTime();
    QTest::newRow("nearest century back")
        << QByteArray("1:01Jan99000000") << QDate(2026, 1, 1) << utc(1999, 1, 1, 0, 0, 0);
    QTest::newRow("nearest century ahead")
        << QByteArray("1:01Jan01000000") << QDate(2099, 12, 1) << utc(2101, 1, 1, 0, 0, 0);
    QTest::newRow("tie takes the later")
        << QByteArray("1:01Jan76000000") << QDate(2026, 1, 1) << utc(2076, 1, 1, 0, 0, 0);
    QTest::newRow("leap day") << QByteArray("1:29Feb28120000") << today
                              << utc(2028, 2, 29, 12, 0, 0);
    QTest::newRow("no such day") << QByteArray("1:30Feb28120000") << today << QDateTime();
    QTest::newRow("no such month") << QByteArray("1:06Dek26170000") << today << QDateTime();
    QTest::newRow("hour 24") << QByteArray("1:06Dec26240000") << today << QDateTime();
    QTest::newRow("too long") << QByteArray("1:06Dec261700000") << today << QDateTime();
    QTest::newRow("eleven characters") << QByteArray("1:Dec26170000") << today << QDateTime();
    QTest::newRow("blank inside") << QByteArray("1:06Dec26 70000") << today << QDateTime();
    QTest::newRow("sign inside") << QByteArray("1:06Dec26+70000") << today << QDateTime();
    QTest::newRow("high bytes") << QByteArray(
                                       "1:06D\xe9"
                                       "c26170000")
                                << today << QDateTime();
}

void ReplyReadingTest::dateIsRead() {
    QFETCH(QByteArray, reply);
    QFETCH(QDate, today);
    QFETCH(QDateTime, utc);
    QCOMPARE(readReplyDateTime(reply, today).value_or(QDateTime()), utc);
}

void ReplyReadingTest::replyIsShownSafely_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");
    QTest::newRow("well formed") << QByteArray("3:06Dec26170000")
                                 << QStringLiteral("3:06Dec26170000");
    QTest::newRow("line ends and tab") << QByteArray("a\r\n\tb") << QStringLiteral("a\\r\\n\\tb");
    QTest::newRow("backslash") << QByteArray("a\\nb") << QStringLiteral("a\\\\nb");
    QTest::newRow("control and high bytes")
        << QByteArray("\x00\x1f\x7f\x80\xff", 5) << QStringLiteral("\\x00\\x1F\\x7F\\x80\\xFF");
    QTest::newRow("quote stays") << QByteArray("\"") << QStringLiteral("\"");
    QTest::newRow("200 bytes whole") << QByteArray(200, 'a') << QString(200, u'a');
    QTest::newRow("long cut") << QByteArray(4096, 'a') << QString(200, u'a') + "... (4096 bytes)";
}

void ReplyReadingTest::replyIsShownSafely() {
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);
    QCOMPARE(shownReplyText(reply), shown);
}

void ReplyReadingTest::tickWaitsForBoundaryOrDeadline_data() {
    QTest::addColumn<int>("msIntoSecond");
    QTest::addColumn<qint64>("toDeadline");
    QTest::addColumn<int>("delay");
    QTest::newRow("idle: next second") << 300 << qint64(-1) << 702;
    QTest::newRow("deadline first") << 300 << qint64(150) << 150;
    QTest::newRow("boundary first") << 900 << qint64(5000) << 102;
    QTest::newRow("deadline passed") << 0 << qint64(-20) << 0;
}

void ReplyReadingTest::tickWaitsForBoundaryOrDeadline() {
    QFETCH(int, msIntoSecond);
    QFETCH(qint64, toDeadline);
    QFETCH(int, delay);
    const std::optional<qint64> deadline =
        toDeadline == -1 ? std::nullopt : std::optional<qint64>(toDeadline);
    QCOMPARE(Ticker::delayUntilNextTick(msIntoSecond, deadline), delay);
}

QTEST_APPLESS_MAIN(ReplyReadingTest)
#include "tst_replyreading.moc"
