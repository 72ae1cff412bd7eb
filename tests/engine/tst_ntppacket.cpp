#include <QTest>

#include "engine/ntp/ntppacket.h"
#include "engine/ntp/ntpsample.h"
#include "engine/ntp/ntpshown.h"
#include "engine/ntp/ntptimestamp.h"

// The SNTP pieces that need no network: timestamps and their eras, the request's bytes, reading
// and judging a reply, offset and round trip, and how the log shows them. Every expected value is
// worked out from the packet layout and the definitions of RFC 5905; the hexadecimal seconds are
// those of the UTC instants named beside them.
class NtpPacketTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timestampNamesInstantNearReference_data();
    void timestampNamesInstantNearReference();
    void differenceIsSignedAndRounded_data();
    void differenceIsSignedAndRounded();
    void instantBecomesTimestamp_data();
    void instantBecomesTimestamp();
    void requestBytes_data();
    void requestBytes();
    void replyIsReadAndJudged_data();
    void replyIsReadAndJudged();
    void sampleGivesOffsetAndRoundTrip_data();
    void sampleGivesOffsetAndRoundTrip();
    void numbersAreShownForTheLog_data();
    void numbersAreShownForTheLog();
};

namespace {
constexpr qint64 Second = 1000000000;
constexpr qint64 Ms = 1000000;
constexpr qint64 MaxNs = std::numeric_limits<qint64>::max();
constexpr qint64 MinNs = std::numeric_limits<qint64>::min();
// Unix seconds of some instants.
constexpr qint64 Unix1900 = -2208988800;
constexpr qint64 Unix2026 = 1767225600;             // 2026-01-01 00:00:00, NTP 0xED003780
constexpr qint64 UnixWrap2036 = 2085978496;         // 2036-02-07 06:28:16, NTP 2^32 (era 1, 0)
constexpr qint64 Unix2100 = 4102444800;             // 2100-01-01 00:00:00, NTP era 1, 0x7830D580
constexpr qint64 Unix1963 = 2016466304 + Unix1900;  // NTP era 0, 0x7830D580
constexpr quint64 Origin = 0x0123456789ABCDEF;
}  // namespace

void NtpPacketTest::timestampNamesInstantNearReference_data() {
    QTest::addColumn<quint64>("bits");
    QTest::addColumn<qint64>("referenceNs");
    QTest::addColumn<qint64>("unixNs");
    QTest::newRow("1970 is 2208988800 s after 1900")
        << quint64(0x83AA7E8000000000) << qint64(0) << qint64(0);
    QTest::newRow("1900 itself") << quint64(0) << Unix1900 * Second << Unix1900 * Second;
    QTest::newRow("quarter second") << quint64(0x83AA7E8040000000) << qint64(0) << 250 * Ms;
    QTest::newRow("quarter second before 1970")
        << quint64(0x83AA7E7FC0000000) << qint64(0) << -250 * Ms;
    QTest::newRow("2^-32 s rounds to 0 ns")
        << quint64(0x83AA7E8000000001) << qint64(0) << qint64(0);
    QTest::newRow("3 * 2^-32 s rounds to 1 ns")
        << quint64(0x83AA7E8000000003) << qint64(0) << qint64(1);
    QTest::newRow("last fraction rounds to the next second")
        << quint64(0x83AA7E80FFFFFFFF) << qint64(0) << Second;
    QTest::newRow("2026") << quint64(0xED00378000000000) << Unix2026 * Second << Unix2026 * Second;
    QTest::newRow("zero seconds near 2030 is the 2036 wrap")
        << quint64(0) << (Unix2026 + 4 * 365 * 86400) * Second << UnixWrap2036 * Second;
    QTest::newRow("half a second before the wrap, read after it")
        << quint64(0xFFFFFFFF80000000) << (UnixWrap2036 + 86400) * Second
        << UnixWrap2036 * Second - Second / 2;
    QTest::newRow("half a second after the wrap, read before it")
        << quint64(0x0000000080000000) << (UnixWrap2036 - 86400) * Second
        << UnixWrap2036 * Second + Second / 2;
    QTest::newRow("2100 read from 2099")
        << quint64(0x7830D58000000000) << (Unix2100 - 86400 * 365) * Second << Unix2100 * Second;
    QTest::newRow("74 years ahead is read 62 years back")
        << quint64(0x7830D58000000000) << Unix2026 * Second << Unix1963 * Second;
    // Zero seconds nearest to 2262 (the end of qint64 nanoseconds) is 2308, which qint64 cannot
    // hold: the era before, starting 2172 (Unix 6380945792), is taken. At the start (1677) the
    // nearest is 1628, and 1764 is taken.
    QTest::newRow("reference at the end of qint64")
        << quint64(0) << MaxNs << qint64(8589934592 + Unix1900) * Second;
    QTest::newRow("reference at the start of qint64")
        << quint64(0) << MinNs << qint64(-4294967296 + Unix1900) * Second;
}

void NtpPacketTest::timestampNamesInstantNearReference() {
    QFETCH(quint64, bits);
    QFETCH(qint64, referenceNs);
    QFETCH(qint64, unixNs);
    QCOMPARE(NtpTimestamp(bits).toUnixNs(referenceNs), unixNs);
}

void NtpPacketTest::differenceIsSignedAndRounded_data() {
    QTest::addColumn<quint64>("later");
    QTest::addColumn<quint64>("earlier");
    QTest::addColumn<qint64>("ns");
    const quint64 at2026 = 0xED00378000000000;
    // 3 * 2^-32 s is 0.698 ns, 2^-32 s is 0.233 ns: both signs round to the nearest.
    QTest::newRow("3 units") << at2026 + 3 << at2026 << qint64(1);
    QTest::newRow("-3 units") << at2026 << at2026 + 3 << qint64(-1);
    QTest::newRow("1 unit") << at2026 + 1 << at2026 << qint64(0);
    QTest::newRow("-1 unit") << at2026 << at2026 + 1 << qint64(0);
    QTest::newRow("-1.25 s") << at2026 << at2026 + 0x140000000 << -1250 * Ms;
    QTest::newRow("across the 2036 wrap")
        << quint64(0x0000000080000000) << quint64(0xFFFFFFFF80000000) << Second;
    QTest::newRow("back across the 2036 wrap")
        << quint64(0xFFFFFFFF80000000) << quint64(0x0000000080000000) << -Second;
    QTest::newRow("2^31 - 1 s ahead")
        << quint64(0x7FFFFFFF00000000) << quint64(0) << 2147483647 * Second;
    QTest::newRow("2^31 s back") << quint64(0) << quint64(0x8000000000000000)
                                 << -2147483648 * Second;
}

void NtpPacketTest::differenceIsSignedAndRounded() {
    QFETCH(quint64, later);
    QFETCH(quint64, earlier);
    QFETCH(qint64, ns);
    QCOMPARE(NtpTimestamp(later).nsSince(NtpTimestamp(earlier)), ns);
}

void NtpPacketTest::instantBecomesTimestamp_data() {
    QTest::addColumn<qint64>("unixNs");
    QTest::addColumn<quint64>("bits");
    QTest::newRow("1970") << qint64(0) << quint64(0x83AA7E8000000000);
    QTest::newRow("1900") << Unix1900 * Second << quint64(0);
    QTest::newRow("quarter second before 1970") << -250 * Ms << quint64(0x83AA7E7FC0000000);
    QTest::newRow("1 ns is 4.29 units") << qint64(1) << quint64(0x83AA7E8000000004);
    QTest::newRow("2026 and 3/8 s") << Unix2026 * Second + 375 * Ms << quint64(0xED00378060000000);
    QTest::newRow("half a second after the 2036 wrap")
        << UnixWrap2036 * Second + Second / 2 << quint64(0x0000000080000000);
    QTest::newRow("2100") << Unix2100 * Second << quint64(0x7830D58000000000);
}

void NtpPacketTest::instantBecomesTimestamp() {
    QFETCH(qint64, unixNs);
    QFETCH(quint64, bits);
    QCOMPARE(NtpTimestamp::fromUnixNs(unixNs).bits(), bits);
}

void NtpPacketTest::requestBytes_data() {
    QTest::addColumn<quint64>("transmitBits");
    QTest::addColumn<QByteArray>("hex");
    const QByteArray zeros = QByteArray(39, '\0').toHex();
    QTest::newRow("random bits") << Origin << "23" + zeros + "0123456789abcdef";
    QTest::newRow("all ones") << quint64(0xFFFFFFFFFFFFFFFF) << "23" + zeros + "ffffffffffffffff";
    QTest::newRow("zero") << quint64(0) << "23" + zeros + "0000000000000000";
}

void NtpPacketTest::requestBytes() {
    QFETCH(quint64, transmitBits);
    QFETCH(QByteArray, hex);
    QCOMPARE(ntpRequest(transmitBits).toHex(), hex);
}

namespace {
// A server reply in hexadecimal: the first byte (leap indicator, version, mode), the stratum,
// poll 6, precision -23, root delay, root dispersion, reference id, then the reference, origin,
// receive and transmit timestamps; each field holds a value no other field has.
QByteArray reply(const char* first, const char* stratum, const char* referenceId,
                 const char* origin = "0123456789abcdef") {
    return QByteArray::fromHex(QByteArray(first) + stratum + "06e9" + "00000123" + "00000456" +
                               referenceId + "ed00377000000000" + origin + "ed00378360000000" +
                               "ed003783e0000000");
}
}  // namespace

void NtpPacketTest::replyIsReadAndJudged_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("leap");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("stratum");
    QTest::addColumn<QByteArray>("kissCode");
    const auto usable = int(NtpReplyKind::Usable);
    const auto dropped = int(NtpReplyKind::Dropped);
    const auto kiss = int(NtpReplyKind::KissOfDeath);
    const auto unsynchronised = int(NtpReplyKind::NotSynchronised);
    const QByteArray router = reply("24", "02", "c0a80001");  // LI 0, version 4, mode 4
    const QByteArray none;

    QTest::newRow("version 4, stratum 2")
        << router << usable << 0 << 4 << 2 << QByteArray("\xc0\xa8\x00\x01", 4);
    QTest::newRow("version 3 answers too")
        << reply("1c", "01", "47505300") << usable << 0 << 3 << 1 << QByteArray("GPS");
    QTest::newRow("leap second ahead") << reply("64", "03", "0a000001") << usable << 1 << 4 << 3
                                       << QByteArray("\x0a\x00\x00\x01", 4);
    QTest::newRow("stratum 15") << reply("24", "0f", "0a000001") << usable << 0 << 4 << 15
                                << QByteArray("\x0a\x00\x00\x01", 4);
    QTest::newRow("extension fields after 48 bytes")
        << router + QByteArray(20, '\x5a') << usable << 0 << 4 << 2
        << QByteArray("\xc0\xa8\x00\x01", 4);

    QTest::newRow("47 bytes") << router.first(47) << dropped << 0 << 0 << 0 << none;
    QTest::newRow("empty") << QByteArray() << dropped << 0 << 0 << 0 << none;
    QTest::newRow("mode 3 (our own request)")
        << reply("23", "02", "c0a80001") << dropped << 0 << 0 << 0 << none;
    QTest::newRow("mode 5 (broadcast)")
        << reply("25", "02", "c0a80001") << dropped << 0 << 0 << 0 << none;
    QTest::newRow("origin one bit off")
        << reply("24", "02", "c0a80001", "0123456789abcdee") << dropped << 0 << 0 << 0 << none;
    QTest::newRow("origin zero") << reply("24", "02", "c0a80001", "0000000000000000") << dropped
                                 << 0 << 0 << 0 << none;
    QTest::newRow("origin halves swapped")
        << reply("24", "02", "c0a80001", "89abcdef01234567") << dropped << 0 << 0 << 0 << none;

    QTest::newRow("kiss RATE with leap 3")
        << reply("e4", "00", "52415445") << kiss << 3 << 4 << 0 << QByteArray("RATE");
    QTest::newRow("kiss DENY") << reply("24", "00", "44454e59") << kiss << 0 << 4 << 0
                               << QByteArray("DENY");
    QTest::newRow("kiss RSTR") << reply("e4", "00", "52535452") << kiss << 3 << 4 << 0
                               << QByteArray("RSTR");
    QTest::newRow("kiss with a short code")
        << reply("e4", "00", "58000000") << kiss << 3 << 4 << 0 << QByteArray("X");
    QTest::newRow("leap indicator 3") << reply("e4", "02", "c0a80001") << unsynchronised << 3 << 4
                                      << 2 << QByteArray("\xc0\xa8\x00\x01", 4);
    QTest::newRow("stratum 16") << reply("24", "10", "c0a80001") << unsynchronised << 0 << 4 << 16
                                << QByteArray("\xc0\xa8\x00\x01", 4);
    QTest::newRow("stratum 255") << reply("24", "ff", "c0a80001") << unsynchronised << 0 << 4 << 255
                                 << QByteArray("\xc0\xa8\x00\x01", 4);
}

void NtpPacketTest::replyIsReadAndJudged() {
    QFETCH(QByteArray, datagram);
    QFETCH(int, kind);
    QFETCH(int, leap);
    QFETCH(int, version);
    QFETCH(int, stratum);
    QFETCH(QByteArray, kissCode);
    const NtpReply read = readNtpReply(datagram, Origin);
    QCOMPARE(int(read.kind), kind);
    if (read.kind == NtpReplyKind::Dropped)
        return;
    QCOMPARE(read.leap, leap);
    QCOMPARE(read.version, version);
    QCOMPARE(read.stratum, stratum);
    QCOMPARE(read.kissCode(), kissCode);
    // 2026-01-01 00:00:03.375 and .875 at offsets 32 and 40.
    QCOMPARE(read.received.bits(), quint64(0xED00378360000000));
    QCOMPARE(read.sent.bits(), quint64(0xED003783E0000000));
}

void NtpPacketTest::sampleGivesOffsetAndRoundTrip_data() {
    QTest::addColumn<qint64>("t1");
    QTest::addColumn<quint64>("t2");
    QTest::addColumn<quint64>("t3");
    QTest::addColumn<qint64>("t4");
    QTest::addColumn<qint64>("offsetNs");
    QTest::addColumn<qint64>("roundTripNs");
    const qint64 at2026 = Unix2026 * Second;
    const qint64 wrap = UnixWrap2036 * Second;
    // Server 3.25 s ahead, 0.125 s each way, 0.5 s inside the server: T2 = 3.375 s, T3 =
    // 3.875 s after T1 on the server's clock, T4 = T1 + 0.75 s.
    QTest::newRow("server 3.250 s ahead")
        << at2026 << quint64(0xED00378360000000) << quint64(0xED003783E0000000) << at2026 + 750 * Ms
        << 3250 * Ms << 250 * Ms;
    // Server 7.5 s behind, 0.0625 s each way, 0.25 s inside: T2 = T1 - 7.4375 s (= 0x..78 +
    // 0.5625), T3 = T1 - 7.1875 s (0x..78 + 0.8125), T4 = T1 + 0.375 s.
    QTest::newRow("server 7.500 s behind")
        << at2026 << quint64(0xED00377890000000) << quint64(0xED003778D0000000) << at2026 + 375 * Ms
        << -7500 * Ms << 125 * Ms;
    // T1 half a second before the 2036 wrap; server 0.75 s ahead, 0.25 s each way, 0.25 s
    // inside: T2 = wrap + 0.5 s (era 1, 0.5), T3 = wrap + 0.75 s, T4 = T1 + 0.75 s.
    QTest::newRow("sent before the 2036 wrap, answered after")
        << wrap - Second / 2 << quint64(0x0000000080000000) << quint64(0x00000000C0000000)
        << wrap + 250 * Ms << 750 * Ms << 500 * Ms;
    // T1 a quarter second after the wrap; server 1 s behind, 0.125 s each way and inside:
    // T2 = wrap - 0.625 s (era 0, 0xFFFFFFFF + 0.375), T3 = wrap - 0.5 s, T4 = T1 + 0.375 s.
    QTest::newRow("sent after the 2036 wrap, answered before")
        << wrap + 250 * Ms << quint64(0xFFFFFFFF60000000) << quint64(0xFFFFFFFF80000000)
        << wrap + 625 * Ms << -Second << 250 * Ms;
    // A board without a clock starts at 1970: 2026 is 56 years (under 68) ahead.
    QTest::newRow("local clock at 1970")
        << qint64(0) << quint64(0xED00378000000000) << quint64(0xED00378000000000) << qint64(0)
        << Unix2026 * Second << qint64(0);
    QTest::newRow("local clock 68 years behind the server, just under half an era")
        << (Unix2026 - 2147483647) * Second << quint64(0xED00378000000000)
        << quint64(0xED00378000000000) << (Unix2026 - 2147483647) * Second << 2147483647 * Second
        << qint64(0);
    // A server that claims to have held the request longer than the round trip took.
    QTest::newRow("negative round trip")
        << at2026 << quint64(0xED00378000000000) << quint64(0xED00378100000000) << at2026 + 500 * Ms
        << 250 * Ms << -500 * Ms;
}

void NtpPacketTest::sampleGivesOffsetAndRoundTrip() {
    QFETCH(qint64, t1);
    QFETCH(quint64, t2);
    QFETCH(quint64, t3);
    QFETCH(qint64, t4);
    QFETCH(qint64, offsetNs);
    QFETCH(qint64, roundTripNs);
    const NtpSample sample = ntpSample(t1, NtpTimestamp(t2), NtpTimestamp(t3), t4);
    QCOMPARE(sample.offsetNs, offsetNs);
    QCOMPARE(sample.roundTripNs, roundTripNs);
}

void NtpPacketTest::numbersAreShownForTheLog_data() {
    QTest::addColumn<qint64>("ns");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<qint64>("milliseconds");
    QTest::newRow("zero") << qint64(0) << "+0.000" << qint64(0);
    QTest::newRow("123.456789 ms") << qint64(123456789) << "+0.123" << qint64(123);
    QTest::newRow("-7.5 s") << -7500 * Ms << "-7.500" << qint64(-7500);
    QTest::newRow("1.5 ms rounds up") << 1500000LL << "+0.002" << qint64(2);
    QTest::newRow("-1.5 ms mirrors it") << -1500000LL << "-0.002" << qint64(-2);
    QTest::newRow("12.4999 ms") << 12499999LL << "+0.012" << qint64(12);
    QTest::newRow("-0.4999 ms shows no sign of going back") << -499999LL << "+0.000" << qint64(0);
    QTest::newRow("-0.5 ms") << -500000LL << "-0.001" << qint64(-1);
    QTest::newRow("-0.5015 s") << -501500000LL << "-0.502" << qint64(-502);
    QTest::newRow("a minute less 1 ns") << 60 * Second - 1 << "+60.000" << qint64(60000);
    QTest::newRow("-36 years") << -Unix2026 * Second << "-1767225600.000" << -Unix2026 * 1000;
    QTest::newRow("qint64 minimum") << MinNs << "-9223372036.855" << qint64(-9223372036855);
}

void NtpPacketTest::numbersAreShownForTheLog() {
    QFETCH(qint64, ns);
    QFETCH(QString, offset);
    QFETCH(qint64, milliseconds);
    QCOMPARE(shownOffsetSeconds(ns), offset);
    QCOMPARE(roundedMilliseconds(ns), milliseconds);
}

QTEST_GUILESS_MAIN(NtpPacketTest)
#include "tst_ntppacket.moc"
