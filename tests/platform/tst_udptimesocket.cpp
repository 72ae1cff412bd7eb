#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include "platform/udptimesocket.h"
#include "support/privatenetwork.h"
#include "support/scriptedntpserver.h"

namespace {
const QHostAddress ServerAddress(QStringLiteral("127.0.0.2"));
// Names of several addresses, the first dead: a pool's, and one with IPv6 first.
const QByteArray Hosts =
    "127.0.0.3 pool.test\n127.0.0.2 pool.test\n"
    "::1 dual.test\n127.0.0.2 dual.test\n";
}  // namespace

// The UDP socket against scripted NTP servers on loopback addresses of the suite's own network
// namespace, so any user may run it.
class UdpTimeSocketTest : public QObject {
    Q_OBJECT
public:
    explicit UdpTimeSocketTest(QString networkError) : networkError_(std::move(networkError)) {}

private Q_SLOTS:
    void initTestCase() {
        if (!networkError_.isEmpty())
            QFAIL(qPrintable("no network namespace of our own: " + networkError_));
        const ScriptedNtpServer probe(ServerAddress);
        if (!probe.bindError().isEmpty())
            QFAIL(qPrintable("cannot bind 127.0.0.2:123: " + probe.bindError()));
    }

    // The requests go to a name's addresses in turn, wrapping: a dead first one costs one
    // request, not the server.
    void requestsGoToEachAddressInTurn_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("deadAddress");
        QTest::newRow("pool") << "pool.test"
                              << "127.0.0.3";
        QTest::newRow("IPv6 first") << "dual.test"
                                    << "::1";
    }
    void requestsGoToEachAddressInTurn() {
        QFETCH(QString, host);
        QFETCH(QString, deadAddress);
        const ScriptedNtpServer dead{QHostAddress(deadAddress)};
        QVERIFY2(dead.bindError().isEmpty(), qPrintable(dead.bindError()));
        const ScriptedNtpServer live(ServerAddress);
        UdpTimeSocket socket;
        const QSignalSpy found(&socket, &TimeSocket::connected);
        QVERIFY(socket.connectTo(host, 123));
        QTRY_COMPARE(found.size(), 1);
        for (const QByteArray request : {"1", "2", "3", "4"})
            QVERIFY(socket.send(request));
        QTRY_COMPARE(dead.requests, QList<QByteArray>({"1", "3"}));
        QTRY_COMPARE(live.requests, QList<QByteArray>({"2", "4"}));
    }

    // Only the queried address and port reach the engine: a datagram from another port of the
    // server's address, or from another address, is dropped unseen.
    void onlyTheServersDatagramsArrive() {
        ScriptedNtpServer server(ServerAddress);
        UdpTimeSocket socket;
        const QSignalSpy found(&socket, &TimeSocket::connected);
        const QSignalSpy arrived(&socket, &TimeSocket::dataArrived);
        QVERIFY(socket.connectTo(ServerAddress.toString(), 123.4));
        QTRY_COMPARE(found.size(), 1);
        QVERIFY(socket.send("request"));
        QTRY_COMPARE(server.requests.size(), 1);
        for (const char* stray : {"127.0.0.2:124", "127.0.0.4:123"}) {
            QUdpSocket sender;
            const QString address = QString::fromLatin1(stray);
            QVERIFY(sender.bind(QHostAddress(address.section(u':', 0, 0)),
                                quint16(address.section(u':', 1).toUInt())));
            sender.writeDatagram("stray", QHostAddress::LocalHost, server.clientPort());
        }
        server.send("reply");
        QTRY_COMPARE(arrived.size(), 1);
        QCOMPARE(arrived[0][0].toByteArray(), QByteArray("reply"));
    }

private:
    QString networkError_;
};

// The suite's own user and network namespace comes first, while the process has one thread.
int main(int argc, char** argv) {
    QString networkError = enterPrivateNetwork(Hosts);
    QCoreApplication app(argc, argv);
    UdpTimeSocketTest test(std::move(networkError));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_udptimesocket.moc"
