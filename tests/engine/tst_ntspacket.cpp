#include <QTest>

#include "engine/nts/aessiv.h"
#include "engine/nts/ntsfields.h"
#include "engine/nts/ntspacket.h"

// AES-SIV against RFC 5297's vector, the NTS request's layout, and replies: genuine, forged,
// malformed and the NAK. The replies here are sealed as a server would seal them.
class NtsPacketTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aesSivMatchesRfc5297();
    void aesSivRefuses();
    void requestCarriesOneCookieAndRefills_data();
    void requestCarriesOneCookieAndRefills();
    void requestNeedsACookie();
    void keysHoldEightCookiesForADay();
    void readsReply_data();
    void readsReply();
};

namespace {
constexpr quint64 Transmit = 0x0123456789abcdef;
const QByteArray UniqueId(32, 'u');
const QByteArray Nonce(16, 'n');
const QByteArray ServerKey(32, 's');
const QByteArray NewCookie(100, 'k');

NtsKeys keysWith(int cookies) {
    NtsKeys keys;
    keys.clientToServer = QByteArray(32, 'c');
    keys.serverToClient = ServerKey;
    for (int i = 0; i < cookies; ++i)
        keys.cookies.append(QByteArray(100, char('0' + i)));
    return keys;
}

using NtsField::field;
const QByteArray Gps("GPS\0", 4);

// A reply header: version 4, mode 4, the stratum and reference id given, our origin.
QByteArray header(int stratum, const QByteArray& referenceId) {
    QByteArray bytes = QByteArray::fromHex("24") + char(stratum) + QByteArray(10, '\0') +
                       referenceId + QByteArray(8, '\0');
    return bytes + QByteArray::fromHex("0123456789abcdef") + QByteArray(16, '\x11');
}

// Sealed over the bytes before it, as the server does.
QByteArray authenticator(const QByteArray& before, const QByteArray& inner,
                         const QByteArray& key = ServerKey) {
    const QByteArray sealed = AesSiv::seal(key, before, Nonce, inner).value();
    return field(NtsField::Authenticator, QByteArray::fromHex("0010") + char(sealed.size() >> 8) +
                                              char(sealed.size()) + Nonce + sealed);
}

QByteArray genuine(const QByteArray& plain, const QByteArray& inner) {
    return plain + authenticator(plain, inner);
}
}  // namespace

void NtsPacketTest::aesSivMatchesRfc5297() {
    // Appendix A.1: one associated-data component, no nonce.
    const QByteArray key =
        QByteArray::fromHex("fffefdfcfbfaf9f8f7f6f5f4f3f2f1f0f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff");
    const QByteArray associated =
        QByteArray::fromHex("101112131415161718191a1b1c1d1e1f2021222324252627");
    const QByteArray plaintext = QByteArray::fromHex("112233445566778899aabbccddee");
    const QByteArray sealed =
        QByteArray::fromHex("85632d07c6e8f37f950acd320a2ecc9340c02b9690c4dc04daef7f6afe5c");
    QCOMPARE(AesSiv::seal(key, associated, {}, plaintext), sealed);
    QCOMPARE(AesSiv::open(key, associated, {}, sealed), plaintext);
}

void NtsPacketTest::aesSivRefuses() {
    const QByteArray key(32, 'k');
    const QByteArray sealed = AesSiv::seal(key, "data", Nonce, "text").value();
    QCOMPARE(AesSiv::open(key, "data", Nonce, sealed), QByteArray("text"));
    QByteArray flipped = sealed;
    flipped[flipped.size() - 1] = char(flipped.back() ^ 1);
    QVERIFY(!AesSiv::open(key, "data", Nonce, flipped));
    QVERIFY(!AesSiv::open(key, "datA", Nonce, sealed));
    QVERIFY(!AesSiv::open(QByteArray(32, 'K'), "data", Nonce, sealed));
    QVERIFY(!AesSiv::open(key, "data", Nonce, sealed.first(16)));  // an empty plaintext
    QVERIFY(!AesSiv::seal(key, "data", Nonce, {}));
    QVERIFY(!AesSiv::seal(QByteArray(16, 'k'), "data", Nonce, "text"));
}

void NtsPacketTest::requestCarriesOneCookieAndRefills_data() {
    QTest::addColumn<int>("cookies");
    QTest::addColumn<int>("placeholders");
    QTest::newRow("the last cookie") << 1 << 7;
    QTest::newRow("half") << 4 << 4;
    QTest::newRow("full: one placeholder still") << 8 << 1;
}

void NtsPacketTest::requestCarriesOneCookieAndRefills() {
    QFETCH(int, cookies);
    QFETCH(int, placeholders);
    NtsKeys keys = keysWith(cookies);
    const QByteArray oldest = keys.cookies.first();
    const QByteArray request = ntsRequest(keys, Transmit, UniqueId, Nonce);
    QCOMPARE(keys.cookies.size(), cookies - 1);
    QVERIFY(!keys.cookies.contains(oldest));

    const QByteArray plain = ntpRequest(Transmit) + QByteArray::fromHex("0104 0024") + UniqueId +
                             QByteArray::fromHex("0204 0068") + oldest;
    QCOMPARE(request.first(plain.size()), plain);
    const QByteArray inner =
        (QByteArray::fromHex("0304 0068") + QByteArray(100, '\0')).repeated(placeholders);
    const auto sealedSize = quint16(16 + inner.size());
    const QByteArray auth = request.sliced(plain.size());
    QCOMPARE(auth.first(24), QByteArray::fromHex("0404") + char((24 + sealedSize) >> 8) +
                                 char(24 + sealedSize) + QByteArray::fromHex("0010") +
                                 char(sealedSize >> 8) + char(sealedSize) + Nonce);
    QCOMPARE(auth.size(), 24 + sealedSize);
    QCOMPARE(AesSiv::open(keys.clientToServer, plain, Nonce, auth.sliced(24)), inner);
}

void NtsPacketTest::requestNeedsACookie() {
    NtsKeys keys = keysWith(0);
    QVERIFY(ntsRequest(keys, Transmit, UniqueId, Nonce).isEmpty());
}

void NtsPacketTest::keysHoldEightCookiesForADay() {
    NtsKeys keys = keysWith(6);
    keys.addCookies({"a", "b", "c"});
    QCOMPARE(keys.cookies.size(), 8);
    QCOMPARE(keys.cookies.last(), QByteArray("b"));
    QCOMPARE(keys.takeCookie(), QByteArray(100, '0'));
    keys.obtainedMs = 1000;
    QVERIFY(!keys.expired(1000 + 24 * 3600 * 1000 - 1));
    QVERIFY(keys.expired(1000 + 24 * 3600 * 1000));
}

void NtsPacketTest::readsReply_data() {
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("cookies");

    const auto dropped = int(NtsReplyKind::Dropped);
    const auto authenticated = int(NtsReplyKind::Authenticated);
    const QByteArray ours = header(1, Gps) + field(NtsField::UniqueIdentifier, UniqueId);
    const QByteArray cookie = field(NtsField::Cookie, NewCookie);
    const QByteArray good = genuine(ours, cookie + cookie);
    QTest::newRow("genuine") << good << authenticated << 2;
    QTest::newRow("cookies beyond eight")
        << genuine(ours, cookie.repeated(9)) << authenticated << 8;
    QTest::newRow("cookie outside the encrypted part not taken")
        << genuine(ours + cookie, cookie) << authenticated << 1;
    QTest::newRow("authenticated kiss")
        << genuine(header(0, "RATE") + field(NtsField::UniqueIdentifier, UniqueId), cookie)
        << authenticated << 1;

    QByteArray flipped = good;
    flipped[40] = char(flipped[40] ^ 1);  // the server's transmit time
    QTest::newRow("header altered") << flipped << dropped << 0;
    flipped = good;
    flipped[good.size() - 1] = char(flipped.back() ^ 1);
    QTest::newRow("ciphertext altered") << flipped << dropped << 0;
    QTest::newRow("another key") << ours + authenticator(ours, cookie, QByteArray(32, 'x'))
                                 << dropped << 0;
    const QByteArray theirs = header(1, Gps) + field(NtsField::UniqueIdentifier, "other");
    QTest::newRow("another unique identifier") << genuine(theirs, cookie) << dropped << 0;
    QTest::newRow("another origin") << genuine(header(1, Gps).replace(24, 1, "\x02") +
                                                   field(NtsField::UniqueIdentifier, UniqueId),
                                               cookie)
                                    << dropped << 0;
    QTest::newRow("field after the authenticator")
        << good + field(NtsField::Cookie, NewCookie) << dropped << 0;
    QTest::newRow("no authenticator") << ours + cookie << dropped << 0;
    QTest::newRow("plain NTP") << header(1, Gps) << dropped << 0;
    QTest::newRow("truncated") << good.chopped(4) << dropped << 0;
    QTest::newRow("trailing bytes") << good + QByteArray(4, '\0') << dropped << 0;
    QByteArray length = good;
    length[48 + 3] = 0x26;  // the identifier's length, no multiple of 4
    QTest::newRow("length not a multiple of four") << length << dropped << 0;
    length[48 + 2] = char(0xff);
    QTest::newRow("length past the end") << length << dropped << 0;
    QByteArray lengths = good;
    lengths[good.size() - (16 + 2 * 104) - 16 - 2] = char(0xff);  // the ciphertext's length
    QTest::newRow("ciphertext length past the field") << lengths << dropped << 0;

    const QByteArray nak = header(0, "NTSN") + field(NtsField::UniqueIdentifier, UniqueId);
    QTest::newRow("NAK") << nak << int(NtsReplyKind::NotAcknowledged) << 0;
    QTest::newRow("NAK for another request")
        << header(0, "NTSN") + field(NtsField::UniqueIdentifier, "other") << dropped << 0;
    QTest::newRow("unauthenticated kiss")
        << header(0, "RATE") + field(NtsField::UniqueIdentifier, UniqueId) << dropped << 0;
}

void NtsPacketTest::readsReply() {
    QFETCH(QByteArray, datagram);
    const NtsReply reply = readNtsReply(datagram, Transmit, UniqueId, ServerKey);
    QTEST(int(reply.kind), "kind");
    QTEST(int(reply.cookies.size()), "cookies");
    for (const QByteArray& cookie : reply.cookies)
        QCOMPARE(cookie, NewCookie);
}

QTEST_GUILESS_MAIN(NtsPacketTest)
#include "tst_ntspacket.moc"
