#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QtEndian>
#include <memory>

#include "support/chronyntsserver.h"
#include "support/logpattern.h"
#include "support/ntsfieldsonwire.h"
#include "support/privatenetwork.h"
#include "support/relayedchronyserver.h"
#include "support/testcertificate.h"
#include "support/udprelay.h"

namespace {
const QByteArray Hosts = "127.0.0.1 localhost\n127.0.0.1 ntp.test\n";
// Short waits, so that each reply the client must not take costs half a second.
const QByteArray ShortWaits = "Timeout=2000\r\nForgetPing=500\r\nAttempts=3\r\n";
const QString KeyExchange = QStringLiteral("127.0.0.1:4460");
constexpr quint32 YearSeconds = 365 * 24 * 3600;
// chronyd's own reply to the first attempt, let through only once the second has gone out.
const QString LateReply = QStringLiteral("reply to the earlier attempt");

QStringList launched(const QString& server) {
    return {"Program launched.", "Command-line update:", "Attempted to connect to " + server + ":"};
}

QString keyExchangeCompleted(const QString& ntpServer) {
    return "NTS key exchange completed after {n} milliseconds: NTP server " + ntpServer +
           ", 8 cookies.";
}

QString queried(int attempt) {
    return QStringLiteral("Queried server for time - attempt %1:").arg(attempt);
}

// The NAK cannot be authenticated: it is judged as a plain NTP kiss is.
const QStringList Refused{
    "Received NTP reply after {n} milliseconds: stratum 0, offset {offset} "
    "seconds, round trip {n} milliseconds:",
    "Server refused the query (NTSN)."};

QStringList accepted(int attempt) {
    return {
        "Received authenticated NTP reply after {n} milliseconds: stratum 10, offset {offset} "
        "seconds, round trip {n} milliseconds:",
        QStringLiteral("Packet was reply to attempt %1 - packet accepted:").arg(attempt),
        "*System clock would be updated from {time} to {time} - a correction of {correction} "
        "seconds.*"};
}

// A 32-bit NTP timestamp's seconds moved on by a year.
void addYear(QByteArray& packet, qsizetype at) {
    qToBigEndian<quint32>(qFromBigEndian<quint32>(packet.constData() + at) + YearSeconds,
                          packet.data() + at);
}

// What an attacker on the path sends in place of chronyd's reply to a request.
QByteArray forged(const QString& kind, const QByteArray& request, QByteArray reply) {
    constexpr qsizetype Receive = 32, Transmit = 40;
    if (kind == "tampered reply" || kind == "plain NTP reply") {
        addYear(reply, Receive);
        addYear(reply, Transmit);
        return kind == "tampered reply" ? reply : reply.first(OnWire::HeaderSize);
    }
    const QByteArray uniqueId = OnWire::bodies(request, OnWire::UniqueIdentifier).value(0);
    if (kind == "authenticator left out")
        return reply.first(OnWire::HeaderSize) + OnWire::field(OnWire::UniqueIdentifier, uniqueId);
    // A kiss that would end the run, for a request that was never sent.
    QByteArray nak = reply.first(OnWire::HeaderSize);
    nak[1] = 0;
    nak.replace(12, 4, "NTSN");
    return nak + OnWire::field(OnWire::UniqueIdentifier, QByteArray(uniqueId.size(), 'x'));
}

// Spoils the cookie of a request, as if the server had forgotten the key that made it.
QByteArray withSpoiledCookie(QByteArray request) {
    for (const OnWire::Field& field : OnWire::fields(request))
        if (field.type == OnWire::Cookie)
            request[field.bodyAt] = char(request[field.bodyAt] ^ 0x01);
    return request;
}
}  // namespace

// The program run as a user runs it, `quorvel --once --dry-run --server HOST:4460`, against
// chronyd as an NTS server, in a network of the suite's own where port 4460 is free and
// relays may stand on the path; and against a scripted key exchange for the answers chronyd
// never gives. Standard output is compared line by line.
class NtsRunTest : public QObject {
    Q_OBJECT
public:
    explicit NtsRunTest(QString networkError) : networkError_(std::move(networkError)) {}

private Q_SLOTS:
    void initTestCase();
    void wholeRun_data();
    void wholeRun();
    void keyExchangeFails_data();
    void keyExchangeFails();
    void unauthenticatedRepliesAreDropped_data();
    void unauthenticatedRepliesAreDropped();
    void refusedCookieBringsNewKeyExchange_data();
    void refusedCookieBringsNewKeyExchange();

private:
    struct Run {
        int exitCode = -1;
        QString output;
    };
    Run runOnce(const QString& server, const QString& trusted);
    static void expectLog(const Run& run, int exitCode, const QStringList& lines);

    QString networkError_;
    QTemporaryDir data_;
};

void NtsRunTest::initTestCase() {
    QVERIFY2(networkError_.isEmpty(), qPrintable(networkError_));
    QFile settings(data_.filePath("Quorvel.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly) && settings.write(ShortWaits) > 0);
}

// The program's run to its end, the suite's relays and servers working meanwhile; trusted is
// the certificate file it trusts.
NtsRunTest::Run NtsRunTest::runOnce(const QString& server, const QString& trusted) {
    QProcess quorvel;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("SSL_CERT_FILE", trusted);
    quorvel.setProcessEnvironment(environment);
    quorvel.start(QStringLiteral(QUORVEL_PATH),
                  {"--once", "--dry-run", "--server", server, "--data-dir", data_.path()});
    if (!QTest::qWaitFor([&] { return quorvel.state() == QProcess::NotRunning; }, 30000)) {
        quorvel.kill();
        quorvel.waitForFinished();
        return {-1, QStringLiteral("(did not end) ") + quorvel.readAllStandardOutput()};
    }
    const QByteArray errors = quorvel.readAllStandardError();
    if (!errors.isEmpty())
        qWarning("quorvel said: %s", errors.constData());
    return {quorvel.exitStatus() == QProcess::NormalExit ? quorvel.exitCode() : -1,
            QString::fromUtf8(quorvel.readAllStandardOutput())};
}

// The clock is only ever set from the server's own time: this machine's.
void NtsRunTest::expectLog(const Run& run, int exitCode, const QStringList& lines) {
    const QRegularExpressionMatch match = logPattern(lines).match(run.output);
    QVERIFY2(match.hasMatch(), qPrintable(run.output));
    QCOMPARE(run.exitCode, exitCode);
    if (match.hasCaptured(u"correction"))
        QVERIFY2(qAbs(match.captured(u"correction").toDouble()) < 1, qPrintable(run.output));
}

// The whole run: the key exchange, then an authenticated reply from the NTP server it named.
void NtsRunTest::wholeRun_data() {
    QTest::addColumn<QString>("altName");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("announced");  // the NTP server the key exchange names; or none
    QTest::newRow("address") << "IP:127.0.0.1" << KeyExchange << "";
    QTest::newRow("host name") << "DNS:ntp.test"
                               << "ntp.test:4460"
                               << "";
    QTest::newRow("NTP server named by the key exchange")
        << "IP:127.0.0.1" << KeyExchange << "127.0.0.3";
}

void NtsRunTest::wholeRun() {
    QFETCH(QString, altName);
    QFETCH(QString, server);
    QFETCH(QString, announced);
    ChronyNtsServer chrony({QHostAddress::LocalHost, 4460, announced});
    QCOMPARE(chrony.start(altName), QString());
    const QString ntpPort = QString::number(chrony.ntpPort());
    // Where the key exchange says NTP is, and only there, something answers for chronyd.
    std::unique_ptr<UdpRelay> announcedNtp;
    if (!announced.isEmpty()) {
        announcedNtp = std::make_unique<UdpRelay>(QHostAddress(announced), chrony.ntpPort(),
                                                  chrony.address(), chrony.ntpPort());
        QVERIFY(announcedNtp->isListening());
    }
    const QString ntpServer =
        (announced.isEmpty() ? server.section(u':', 0, 0) : announced) + u':' + ntpPort;

    expectLog(
        runOnce(server, chrony.certificateFile()), 0,
        launched(server) + QStringList{keyExchangeCompleted(ntpServer), queried(1)} + accepted(1));
    if (announcedNtp)
        QCOMPARE(announcedNtp->requests.size(), 1);
}

// A key exchange that fails ends the run on the server with what failed.
void NtsRunTest::keyExchangeFails_data() {
    QTest::addColumn<QString>("answer");  // "chronyd", or the scripted server's answer
    QTest::addColumn<QString>("altName");
    QTest::addColumn<int>("validFromDays");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("outcome");
    const QString failed = QStringLiteral("NTS key exchange failed - ");
    QTest::newRow("certificate not trusted")
        << "chronyd"
        << "IP:127.0.0.1" << 0 << false << failed + "certificate not trusted.";
    QTest::newRow("certificate for another name")
        << "chronyd"
        << "DNS:ntp.example" << 0 << true << failed + "certificate does not match 127.0.0.1.";
    QTest::newRow("certificate expired")
        << "chronyd"
        << "IP:127.0.0.1" << -30 << true
        << failed + "certificate not valid at this computer's time (the clock may be far off).";
    QTest::newRow("Error record") << "error 2"
                                  << "IP:127.0.0.1" << 0 << true << failed + "server error 2.";
    QTest::newRow("unknown critical record")
        << "critical 16384"
        << "IP:127.0.0.1" << 0 << true << failed + "unknown critical record 16384.";
    QTest::newRow("never answers") << "silent"
                                   << "IP:127.0.0.1" << 0 << true << "Connection timed out.";
}

void NtsRunTest::keyExchangeFails() {
    QFETCH(QString, answer);
    QFETCH(QString, altName);
    QFETCH(int, validFromDays);
    QFETCH(bool, trusted);
    QFETCH(QString, outcome);
    ChronyNtsServer chrony({QHostAddress::LocalHost, 4460, {}});
    QTemporaryDir scriptedFolder;
    QString certificate = scriptedFolder.filePath("cert.pem");
    QProcess scripted;
    if (answer == "chronyd") {
        QCOMPARE(chrony.start(altName, validFromDays), QString());
        certificate = chrony.certificateFile();
    } else {
        const QString key = scriptedFolder.filePath("key.pem");
        QCOMPARE(makeTestCertificate(certificate, key, altName), QString());
        scripted.start("python3", {QStringLiteral(NTSKE_SERVER), "127.0.0.1", "4460", certificate,
                                   key, answer});
        QTRY_VERIFY_WITH_TIMEOUT(scripted.canReadLine(), 10000);
        QCOMPARE(scripted.readLine(), "listening\n");
    }
    QTemporaryFile nothingTrusted;
    QVERIFY(nothingTrusted.open());
    expectLog(runOnce(KeyExchange, trusted ? certificate : nothingTrusted.fileName()), 1,
              launched(KeyExchange) + QStringList{outcome});
    scripted.kill();
    scripted.waitForFinished();
}

// A reply that is not chronyd's own, as it sent it, to the latest request, is dropped without a
// word: the attempt's
// reply wait runs out, and the next attempt's genuine reply is taken. Each request carries a
// Unique Identifier and a cookie of its own.
void NtsRunTest::unauthenticatedRepliesAreDropped_data() {
    QTest::addColumn<QString>("forgery");
    for (const QString& forgery :
         {QStringLiteral("tampered reply"), QStringLiteral("plain NTP reply"),
          QStringLiteral("authenticator left out"), QStringLiteral("NTS NAK for another request"),
          LateReply})
        QTest::newRow(qPrintable(forgery)) << forgery;
}

void NtsRunTest::unauthenticatedRepliesAreDropped() {
    QFETCH(QString, forgery);
    RelayedChronyServer server;
    QCOMPARE(server.start(), QString());
    UdpRelay& ntp = server.ntp();
    // The first reply is replaced; a late one comes just after the second request went out.
    QByteArray firstReply;
    ntp.setHook([&](UdpRelay::Direction direction, const QByteArray& datagram) {
        if (direction == UdpRelay::Direction::ToServer) {
            if (forgery == LateReply && ntp.requests.size() == 2)
                ntp.sendToClient(firstReply);
            return datagram;
        }
        if (ntp.replies.size() != 1)
            return datagram;
        firstReply = datagram;
        return forgery == LateReply ? QByteArray() : forged(forgery, ntp.requests.last(), datagram);
    });
    const QString ntpServer = "127.0.0.1:" + QString::number(server.chrony().ntpPort());

    expectLog(
        runOnce(KeyExchange, server.chrony().certificateFile()), 0,
        launched(KeyExchange) +
            QStringList{keyExchangeCompleted(ntpServer), queried(1),
                        "Did not receive reply to attempt 1 after 500 milliseconds.", queried(2)} +
            accepted(2));
    QCOMPARE(ntp.requests.size(), 2);
    QVERIFY(OnWire::eachOnceOnly(ntp.requests, OnWire::UniqueIdentifier));
    QVERIFY(OnWire::eachOnceOnly(ntp.requests, OnWire::Cookie));
}

// chronyd cannot read a cookie spoilt on the way and answers with an NTS NAK: the cookies go,
// a new key exchange runs and the next attempt follows at once; a second NAK gives the server
// up.
void NtsRunTest::refusedCookieBringsNewKeyExchange_data() {
    QTest::addColumn<int>("spoiled");  // how many requests lose their cookie on the way
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("ending");
    QTest::newRow("once") << 1 << 0 << accepted(2);
    QTest::newRow("twice") << 2 << 1 << Refused + QStringList{"Server refused the query."};
}

void NtsRunTest::refusedCookieBringsNewKeyExchange() {
    QFETCH(int, spoiled);
    QFETCH(int, exitCode);
    QFETCH(QStringList, ending);
    RelayedChronyServer server;
    QCOMPARE(server.start(), QString());
    UdpRelay& ntp = server.ntp();
    ntp.setHook([&](UdpRelay::Direction direction, const QByteArray& datagram) {
        const bool spoil =
            direction == UdpRelay::Direction::ToServer && ntp.requests.size() <= spoiled;
        return spoil ? withSpoiledCookie(datagram) : datagram;
    });
    const QString ntpServer = "127.0.0.1:" + QString::number(server.chrony().ntpPort());

    expectLog(runOnce(KeyExchange, server.chrony().certificateFile()), exitCode,
              launched(KeyExchange) + QStringList{keyExchangeCompleted(ntpServer), queried(1)} +
                  Refused + QStringList{keyExchangeCompleted(ntpServer), queried(2)} + ending);
    QCOMPARE(server.keyExchange().connections(), 2);
    QCOMPARE(ntp.requests.size(), 2);
    QVERIFY(OnWire::eachOnceOnly(ntp.requests, OnWire::UniqueIdentifier));
    QVERIFY(OnWire::eachOnceOnly(ntp.requests, OnWire::Cookie));
}

// The suite's own user and network namespace comes first, while the process has one thread.
int main(int argc, char** argv) {
    QString networkError = enterPrivateNetwork(Hosts);
    QCoreApplication app(argc, argv);
    NtsRunTest test(std::move(networkError));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ntsrun.moc"
