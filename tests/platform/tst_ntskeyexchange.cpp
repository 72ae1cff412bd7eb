#include <QNetworkDatagram>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTest>
#include <QUdpSocket>

#include "engine/nts/ntspacket.h"
#include "platform/tlskeyexchange.h"
#include "support/chronyntsserver.h"

// The key exchange against chronyd as an NTS server, and NTS requests built by our code sent to
// its NTP port: what chronyd accepts and answers proves the records, the exporter's keys and
// AES-SIV. Trust comes from SSL_CERT_FILE, as it would for any OpenSSL program.
class NtsKeyExchangeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void agreesWithChronyd();
    void replyAuthenticatesAndRefills_data();
    void replyAuthenticatesAndRefills();
    void unknownCookieGetsNak();
    void refusesCertificate_data();
    void refusesCertificate();
    void refusesOtherTls_data();
    void refusesOtherTls();
    void silentServerNeverBlocks();

private:
    struct Outcome {
        NtsKeys keys;
        QString failure;
    };
    Outcome exchange(quint16 port);
    QByteArray ask(const QByteArray& request);

    ChronyNtsServer server_;
};

void NtsKeyExchangeTest::initTestCase() {
    const QString failure = server_.start();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void NtsKeyExchangeTest::init() {
    qputenv("SSL_CERT_FILE", server_.certificateFile().toLocal8Bit());
}

NtsKeyExchangeTest::Outcome NtsKeyExchangeTest::exchange(quint16 port) {
    TlsKeyExchange keyExchange;
    Outcome outcome;
    connect(&keyExchange, &NtsKeyExchange::succeeded, this,
            [&](const NtsKeys& keys) { outcome.keys = keys; });
    connect(&keyExchange, &NtsKeyExchange::failed, this,
            [&](const QString& reason) { outcome.failure = reason; });
    keyExchange.start(QStringLiteral("127.0.0.1"), port);
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(!outcome.keys.cookies.isEmpty() || !outcome.failure.isEmpty(),
                                 10000);
    }();
    return outcome;
}

// One datagram to chronyd's NTP port and its answer; empty when none comes.
QByteArray NtsKeyExchangeTest::ask(const QByteArray& request) {
    QUdpSocket socket;
    if (socket.writeDatagram(request, QHostAddress::LocalHost, server_.ntpPort()) !=
            request.size() ||
        !socket.waitForReadyRead(5000))
        return {};
    return socket.receiveDatagram().data();
}

void NtsKeyExchangeTest::agreesWithChronyd() {
    const Outcome outcome = exchange(server_.keyExchangePort());
    QCOMPARE(outcome.failure, QString());
    QCOMPARE(outcome.keys.cookies.size(), NtsKeys::MaxCookies);  // chronyd hands out eight
    QCOMPARE(outcome.keys.ntpHost, QStringLiteral("127.0.0.1"));
    QCOMPARE(outcome.keys.ntpPort, server_.ntpPort());
    QCOMPARE(outcome.keys.clientToServer.size(), 32);
    QCOMPARE(outcome.keys.serverToClient.size(), 32);
    QVERIFY(outcome.keys.clientToServer != outcome.keys.serverToClient);
}

void NtsKeyExchangeTest::replyAuthenticatesAndRefills_data() {
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("returned");
    QTest::newRow("full: one placeholder") << 8 << 2;
    QTest::newRow("last cookie: seven placeholders") << 1 << 8;
}

void NtsKeyExchangeTest::replyAuthenticatesAndRefills() {
    QFETCH(int, held);
    NtsKeys keys = exchange(server_.keyExchangePort()).keys;
    QVERIFY(keys.cookies.size() >= held);
    keys.cookies.resize(held);
    const quint64 transmit = QRandomGenerator::system()->generate64();
    const QByteArray uniqueId(NtsUniqueIdSize, 'u');
    const QByteArray request = ntsRequest(keys, transmit, uniqueId, QByteArray(16, 'n'));
    const QByteArray datagram = ask(request);

    const NtsReply reply = readNtsReply(datagram, transmit, uniqueId, keys.serverToClient);
    QCOMPARE(reply.kind, NtsReplyKind::Authenticated);
    QCOMPARE(reply.ntp.kind, NtpReplyKind::Usable);
    QCOMPARE(reply.ntp.stratum, 10);
    QTEST(int(reply.cookies.size()), "returned");
    QVERIFY(!reply.cookies.contains(request.sliced(48 + 36 + 4, 100)));

    // Any byte changed, and the reply no longer counts.
    for (const qsizetype at : {qsizetype(1), qsizetype(40), datagram.size() - 1}) {
        QByteArray forged = datagram;
        forged[at] = char(forged[at] ^ 0x40);
        QCOMPARE(readNtsReply(forged, transmit, uniqueId, keys.serverToClient).kind,
                 NtsReplyKind::Dropped);
    }
}

void NtsKeyExchangeTest::unknownCookieGetsNak() {
    NtsKeys keys = exchange(server_.keyExchangePort()).keys;
    keys.cookies = {QByteArray(keys.cookies.first().size(), 'x')};
    const QByteArray uniqueId(NtsUniqueIdSize, 'v');
    const QByteArray datagram = ask(ntsRequest(keys, 42, uniqueId, QByteArray(16, 'n')));
    const NtsReply reply = readNtsReply(datagram, 42, uniqueId, keys.serverToClient);
    QCOMPARE(reply.kind, NtsReplyKind::NotAcknowledged);
    QCOMPARE(reply.ntp.referenceId, QByteArray("NTSN"));
    QCOMPARE(readNtsReply(datagram, 42, QByteArray(NtsUniqueIdSize, 'w'), keys.serverToClient).kind,
             NtsReplyKind::Dropped);
}

void NtsKeyExchangeTest::refusesCertificate_data() {
    QTest::addColumn<QString>("altName");
    QTest::addColumn<int>("validFromDays");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("failure");
    const QString time =
        QStringLiteral("certificate not valid at this computer's time (the clock may be far off)");
    QTest::newRow("not trusted") << "IP:127.0.0.1" << 0 << false << "certificate not trusted";
    QTest::newRow("for another name")
        << "DNS:ntp.example" << 0 << true << "certificate does not match 127.0.0.1";
    QTest::newRow("for another address")
        << "IP:127.0.0.2" << 0 << true << "certificate does not match 127.0.0.1";
    QTest::newRow("not yet valid") << "IP:127.0.0.1" << 30 << true << time;
    QTest::newRow("expired") << "IP:127.0.0.1" << -30 << true << time;
}

void NtsKeyExchangeTest::refusesCertificate() {
    QFETCH(QString, altName);
    QFETCH(int, validFromDays);
    QFETCH(bool, trusted);
    ChronyNtsServer server;
    const QString failure = server.start(altName, validFromDays);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QTemporaryFile nothingTrusted;
    QVERIFY(nothingTrusted.open());
    qputenv("SSL_CERT_FILE",
            (trusted ? server.certificateFile() : nothingTrusted.fileName()).toLocal8Bit());
    QTEST(exchange(server.keyExchangePort()).failure, "failure");
}

// OpenSSL's test server with our certificate, but without TLS 1.3 or without ALPN "ntske/1".
void NtsKeyExchangeTest::refusesOtherTls_data() {
    QTest::addColumn<QStringList>("options");
    QTest::newRow("TLS 1.2 only") << QStringList{"-tls1_2", "-alpn", "ntske/1"};
    QTest::newRow("no ALPN") << QStringList{"-tls1_3"};
}

void NtsKeyExchangeTest::refusesOtherTls() {
    QFETCH(QStringList, options);
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    QProcess tlsServer;
    tlsServer.start("openssl", QStringList{"s_server", "-quiet", "-accept",
                                           "127.0.0.1:" + QString::number(port), "-cert",
                                           server_.certificateFile(), "-key", server_.keyFile()} +
                                   options);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(200);
        }(),
        10000);
    QCOMPARE(exchange(port).failure, QStringLiteral("TLS handshake failed"));
    tlsServer.kill();
    tlsServer.waitForFinished();
}

// A server that accepts and never answers: start() returns at once, the handshake's first
// flight goes out from the event loop, and nothing ends until the engine's wait calls abort().
void NtsKeyExchangeTest::silentServerNeverBlocks() {
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    TlsKeyExchange keyExchange;
    QSignalSpy succeeded(&keyExchange, &NtsKeyExchange::succeeded);
    QSignalSpy failed(&keyExchange, &NtsKeyExchange::failed);
    keyExchange.start(QStringLiteral("127.0.0.1"), silent.serverPort());
    QTRY_VERIFY(silent.hasPendingConnections());
    QTcpSocket* peer = silent.nextPendingConnection();
    QTRY_VERIFY(peer->bytesAvailable() > 0);  // the client hello
    keyExchange.abort();
    QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(succeeded.size() + failed.size(), 0);
}

QTEST_GUILESS_MAIN(NtsKeyExchangeTest)
#include "tst_ntskeyexchange.moc"
