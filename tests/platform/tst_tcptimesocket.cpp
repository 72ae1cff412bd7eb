#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <cmath>

#include "platform/tcptimesocket.h"

namespace {
constexpr int WaitMs = 5000;
}

// TcpTimeSocket against a listening socket on loopback that the test drives by hand.
class TstTcpTimeSocket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        QVERIFY(server_.listen(QHostAddress::LocalHost, 0));
        socket_ = std::make_unique<TcpTimeSocket>();
    }
    void cleanup() {
        socket_.reset();
        server_.close();
    }

    void refusesAtOnce_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<double>("port");
        QTest::newRow("empty host") << "" << 1610.0;
        // Rounded half to even: 0.5 is port 0 and 65535.5 is port 65536.
        QTest::newRow("port 0.5") << "127.0.0.1" << 0.5;
        QTest::newRow("port 65535.5") << "127.0.0.1" << 65535.5;
        QTest::newRow("port not a number") << "127.0.0.1" << std::nan("");
    }
    void refusesAtOnce() {
        QFETCH(QString, host);
        QFETCH(double, port);
        QVERIFY(!socket_->connectTo(host, port));
        QVERIFY(!server_.waitForNewConnection(50));
    }

    void takesAtMostFourKiBOfAnArrival() {
        QTcpSocket* peer = connectSocket();
        QVERIFY(peer);
        QSignalSpy arrivals(socket_.get(), &TimeSocket::dataArrived);
        const QByteArray flood(10 * 1024, 'x');
        peer->write(flood);
        QVERIFY(arrivals.wait(WaitMs));
        QCOMPARE(arrivals.takeFirst().at(0).toByteArray(), flood.left(TimeSocket::MaxReplyBytes));

        // The rest of that arrival is gone: the next arrival holds only what came after it.
        peer->write("2:06Dec26170000");
        QTRY_VERIFY_WITH_TIMEOUT(!arrivals.isEmpty(), WaitMs);
        QCOMPARE(arrivals.takeFirst().at(0).toByteArray(), QByteArray("2:06Dec26170000"));
    }

    void reportsOnlyThePeersClose_data() {
        QTest::addColumn<bool>("peerCloses");
        QTest::newRow("peer closes") << true;
        QTest::newRow("own close") << false;
    }
    void reportsOnlyThePeersClose() {
        QFETCH(bool, peerCloses);
        QTcpSocket* peer = connectSocket();
        QVERIFY(peer);
        QVERIFY(socket_->send("12"));
        QTRY_COMPARE_WITH_TIMEOUT(peer->bytesAvailable(), 2, WaitMs);
        QSignalSpy lost(socket_.get(), &TimeSocket::connectionLost);
        QSignalSpy peerGone(peer, &QTcpSocket::disconnected);
        // As the engine does: the end of the run closes the lost connection at once.
        connect(socket_.get(), &TimeSocket::connectionLost, socket_.get(), &TimeSocket::close);
        if (peerCloses)
            peer->disconnectFromHost();
        else
            socket_->close();
        QTRY_COMPARE_WITH_TIMEOUT(peerGone.count(), 1, WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), peerCloses ? 1 : 0, WaitMs);
        QVERIFY(!socket_->send("1"));
        QVERIFY(connectSocket());
    }

private:
    // Connects the socket under test and returns the server's end of the connection.
    QTcpSocket* connectSocket() {
        QSignalSpy connected(socket_.get(), &TimeSocket::connected);
        socket_->connectTo(QStringLiteral("127.0.0.1"), server_.serverPort());
        // The wait for the signal may have accepted the connection already.
        const bool accepted = connected.wait(WaitMs) && (server_.hasPendingConnections() ||
                                                         server_.waitForNewConnection(WaitMs));
        return accepted ? server_.nextPendingConnection() : nullptr;
    }

    QTcpServer server_;
    std::unique_ptr<TcpTimeSocket> socket_;
};

QTEST_GUILESS_MAIN(TstTcpTimeSocket)
#include "tst_tcptimesocket.moc"
