#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <vector>

#include "timeserver.h"

using namespace std::chrono_literals;

// The server on loopback, with a clock the test moves. 127.0.0.1 and 127.0.0.2 are two client
// addresses of this machine.
class TimeServerTest : public QObject {
    Q_OBJECT
    TimeServer::SteadyClock::time_point now_{};
    std::unique_ptr<TimeServer> server_;

    std::unique_ptr<QTcpSocket> connectFrom(const char* address) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(QString::fromLatin1(address)));
        socket->connectToHost(QHostAddress::LocalHost, server_->serverPort());
        socket->waitForConnected(5000);
        return socket;
    }

    // Whether a well-formed query gets its reply.
    static bool answers(QTcpSocket& socket) {
        socket.write("7");
        socket.flush();
        if (!QTest::qWaitFor([&socket] { return socket.bytesAvailable() > 0; }, 5000))
            return false;
        const QByteArray reply = socket.readAll();
        return reply.startsWith("7:") && reply.size() == 15;
    }

private Q_SLOTS:
    void init() {
        server_ = std::make_unique<TimeServer>([this] { return now_; });
        QVERIFY(server_->listen(QHostAddress::LocalHost, 0));
    }
    void cleanup() { server_.reset(); }

    // A 65th connection from one address is closed at once; that address's 64 and the other
    // addresses are still served.
    void oneAddressHoldsAtMost64Connections() {
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int count = 0; count <= TimeServer::MostConnectionsPerAddress; ++count)
            held.push_back(connectFrom("127.0.0.2"));
        QTRY_COMPARE(held.back()->state(), QAbstractSocket::UnconnectedState);
        held.pop_back();
        QVERIFY(answers(*held.front()));
        QVERIFY(answers(*held.back()));
        QVERIFY(answers(*connectFrom("127.0.0.1")));
    }

    // Closed once 30 s have passed without a well-formed query; bytes that make none do not
    // count.
    void connectionWithoutQueryIsClosedAfter30Seconds() {
        const auto silent = connectFrom("127.0.0.1");
        const auto babbling = connectFrom("127.0.0.1");
        const auto querying = connectFrom("127.0.0.1");
        QVERIFY(answers(*querying));  // all three are taken in by now
        now_ += 20s;
        babbling->write("x");
        babbling->flush();
        QVERIFY(answers(*querying));  // the babble is read by now
        now_ += 10s;
        server_->closeIdleConnections();
        QTRY_COMPARE(silent->state(), QAbstractSocket::UnconnectedState);
        QTRY_COMPARE(babbling->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(answers(*querying));
        now_ += 29s;
        server_->closeIdleConnections();
        QVERIFY(answers(*querying));
        now_ += 30s;
        server_->closeIdleConnections();
        QTRY_COMPARE(querying->state(), QAbstractSocket::UnconnectedState);
    }
};

QTEST_GUILESS_MAIN(TimeServerTest)
#include "tst_timeserver.moc"
