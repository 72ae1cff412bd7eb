#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <cmath>

#include "platform/tcptimesocket.h"

// TcpTimeSocket against a listening socket on loopback that the test drives by hand.
class TstTcpTimeSocket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void refusesAtOnce_data();
    void refusesAtOnce();
    void connectsToAWholePort_data();
    void connectsToAWholePort();
    void sendsOnlyWhenConnected();
    void takesAtMostFourKiBOfAnArrival();
    void reportsThePeerClosing();
    void ownCloseIsNoLostConnection();

private:
    // Connects the socket under test and returns the server's end of the connection.
    QTcpSocket* connectSocket();

    QTcpServer server_;
    std::unique_ptr<TcpTimeSocket> socket_;
};

namespace {
constexpr int WaitMs = 5000;
}

void TstTcpTimeSocket::init() {
    QVERIFY(server_.listen(QHostAddress::LocalHost, 0));
    socket_ = std::make_unique<TcpTimeSocket>();
}

void TstTcpTimeSocket::cleanup() {
    socket_.reset();
    server_.close();
}

QTcpSocket* TstTcpTimeSocket::connectSocket() {
    QSignalSpy connected(socket_.get(), &TimeSocket::connected);
    if (!socket_->Connect(QStringLiteral("127.0.0.1"), server_.serverPort()) ||
        !connected.wait(WaitMs))
        return nullptr;
    // The wait for the signal may have accepted the connection already.
    if (!server_.hasPendingConnections() && !server_.waitForNewConnection(WaitMs))
        return nullptr;
    return server_.nextPendingConnection();
}

void TstTcpTimeSocket::refusesAtOnce_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<double>("port");
    QTest::newRow("empty host") << "" << 1610.0;
    QTest::newRow("port 0") << "127.0.0.1" << 0.0;
    QTest::newRow("port 0.4") << "127.0.0.1" << 0.4;
    QTest::newRow("port 0.5") << "127.0.0.1" << 0.5;
    QTest::newRow("negative port") << "127.0.0.1" << -1.0;
    QTest::newRow("port 65536") << "127.0.0.1" << 65536.0;
    QTest::newRow("port 65535.5") << "127.0.0.1" << 65535.5;
    QTest::newRow("port not a number") << "127.0.0.1" << std::nan("");
}

void TstTcpTimeSocket::refusesAtOnce() {
    QFETCH(QString, host);
    QFETCH(double, port);
    QVERIFY(!socket_->Connect(host, port));
    QVERIFY(!server_.waitForNewConnection(50));
}

void TstTcpTimeSocket::connectsToAWholePort_data() {
    QTest::addColumn<double>("offset");
    QTest::newRow("exact") << 0.0;
    QTest::newRow("a little above") << 0.4;
    QTest::newRow("a little below") << -0.4;
}

void TstTcpTimeSocket::connectsToAWholePort() {
    QFETCH(double, offset);
    QSignalSpy connected(socket_.get(), &TimeSocket::connected);
    QVERIFY(socket_->Connect(QStringLiteral("127.0.0.1"), server_.serverPort() + offset));
    QVERIFY(connected.wait(WaitMs));
}

void TstTcpTimeSocket::sendsOnlyWhenConnected() {
    QVERIFY(!socket_->SendData("1"));
    QTcpSocket* peer = connectSocket();
    QVERIFY(peer);
    QVERIFY(socket_->SendData("12"));
    QTRY_COMPARE_WITH_TIMEOUT(peer->bytesAvailable(), 2, WaitMs);
    QCOMPARE(peer->readAll(), QByteArray("12"));
}

void TstTcpTimeSocket::takesAtMostFourKiBOfAnArrival() {
    QTcpSocket* peer = connectSocket();
    QVERIFY(peer);
    QSignalSpy arrivals(socket_.get(), &TimeSocket::dataArrived);
    QByteArray flood(10 * 1024, 'x');
    flood[0] = '1';
    peer->write(flood);
    QVERIFY(arrivals.wait(WaitMs));
    QCOMPARE(arrivals.takeFirst().at(0).toByteArray(), flood.left(TimeSocket::MaxReplyBytes));

    // The rest of that arrival is gone: the next arrival holds only what came after it.
    peer->write("2:06Dec26170000");
    QTRY_VERIFY_WITH_TIMEOUT(!arrivals.isEmpty(), WaitMs);
    QCOMPARE(arrivals.takeFirst().at(0).toByteArray(), QByteArray("2:06Dec26170000"));
}

void TstTcpTimeSocket::reportsThePeerClosing() {
    QTcpSocket* peer = connectSocket();
    QVERIFY(peer);
    QSignalSpy lost(socket_.get(), &TimeSocket::connectionLost);
    // As the engine does: the end of the run closes the lost connection at once.
    connect(socket_.get(), &TimeSocket::connectionLost, socket_.get(), &TimeSocket::Close);
    peer->disconnectFromHost();
    QVERIFY(lost.wait(WaitMs));
    QCOMPARE(lost.count(), 1);
    QVERIFY(connectSocket());
}

void TstTcpTimeSocket::ownCloseIsNoLostConnection() {
    QTcpSocket* peer = connectSocket();
    QVERIFY(peer);
    QSignalSpy lost(socket_.get(), &TimeSocket::connectionLost);
    QSignalSpy peerGone(peer, &QTcpSocket::disconnected);
    socket_->Close();
    QVERIFY(peerGone.wait(WaitMs));
    QVERIFY(!socket_->SendData("1"));
    QCOMPARE(lost.count(), 0);
}

QTEST_GUILESS_MAIN(TstTcpTimeSocket)
#include "tst_tcptimesocket.moc"
