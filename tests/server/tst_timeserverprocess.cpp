#include <sys/resource.h>
#include <sys/socket.h>
#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "timeserver.h"

namespace {

constexpr int WaitMs = 5000;
constexpr qsizetype TimeLength = 13;  // DDMMMYYHHMMSS

qsizetype replyLength(const QByteArray& query) {
    return query.size() + 1 + TimeLength;
}

// True when the reply answers the query with a time within a minute of the present one.
bool answers(const QByteArray& reply, const QByteArray& query) {
    if (!reply.startsWith(query + ':') || reply.size() != replyLength(query))
        return false;
    // The two-digit year is of this century.
    const QString time = QString::fromLatin1(reply.right(TimeLength)).insert(5, u"20");
    QDateTime sent = QLocale::c().toDateTime(time, QStringLiteral("ddMMMyyyyHHmmss"));
    sent.setTimeSpec(Qt::UTC);
    return qAbs(sent.secsTo(QDateTime::currentDateTimeUtc())) <= 60;
}

// Sends the query and returns the whole reply, or an empty text when none came.
QByteArray ask(QTcpSocket& client, const QByteArray& query) {
    client.write(query);
    const auto done = [&] {
        return client.bytesAvailable() >= replyLength(query) ||
               client.state() == QAbstractSocket::UnconnectedState;
    };
    return QTest::qWaitFor(done, WaitMs) ? client.readAll() : QByteArray();
}

}  // namespace

// The built quorvel-server, run as a process on a free loopback port.
class TstTimeServerProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startServer(); }
    void cleanupTestCase() { stopServer(); }

    void answersEveryQueryOfOneConnection() {
        const auto client = connectedClient();
        QVERIFY(answers(ask(*client, "32767"), "32767"));
        // As "printf 5 | nc host port" does: the query, then the end of the client's sending.
        client->write("5");
        QVERIFY(client->waitForBytesWritten(WaitMs));
        QCOMPARE(::shutdown(int(client->socketDescriptor()), SHUT_WR), 0);
        QTRY_COMPARE_WITH_TIMEOUT(client->bytesAvailable(), replyLength("5"), WaitMs);
        QVERIFY(answers(client->readAll(), "5"));
    }

    void keepsAnsweringOthersThroughGarbageFloodsAndVanishingClients() {
        const auto flooder = connectedClient();
        flooder->write("abc");
        flooder->write(QByteArray(1024 * 1024, 'x'));
        for (int i = 0; i < 300; ++i) {
            QTcpSocket client;
            client.connectToHost(QHostAddress::LocalHost, port_);
            if (i % 2 == 0 && client.waitForConnected(WaitMs))
                client.write("1");  // and gone before the answer
            client.abort();
        }
        const auto other = connectedClient();
        QVERIFY(answers(ask(*other, "7"), "7"));
        QTRY_COMPARE_WITH_TIMEOUT(flooder->bytesToWrite(), 0, WaitMs);
        QVERIFY(answers(ask(*other, "8"), "8"));
        QCOMPARE(flooder->bytesAvailable(), 0);  // garbage never gets an answer
    }

    void refusesClientsBeyondItsCap() {
        rlimit limit{};
        getrlimit(RLIMIT_NOFILE, &limit);
        if (limit.rlim_cur < rlim_t(TimeServer::MostConnections) + 100)
            QSKIP("This process may not open enough connections.");
        // A fresh server, so that no connection of an earlier case still holds a place.
        stopServer();
        startServer();
        // All of them connect and have their query out before any answer is read; an answer on
        // each shows that the server has taken every one of them on.
        const auto query = [](int i) { return QByteArray::number(i).rightJustified(4, '0'); };
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < TimeServer::MostConnections; ++i) {
            held.push_back(std::make_unique<QTcpSocket>());
            held.back()->connectToHost(QHostAddress::LocalHost, port_);
            held.back()->write(query(i));
        }
        const auto allAnswered = [&] {
            return std::all_of(held.begin(), held.end(), [&](const auto& client) {
                return client->bytesAvailable() >= replyLength(query(0));
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(allAnswered(), WaitMs);
        for (int i = 0; i < TimeServer::MostConnections; ++i)
            QVERIFY(answers(held[i]->readAll(), query(i)));

        const auto refused = connectedClient();
        QTRY_COMPARE_WITH_TIMEOUT(refused->state(), QAbstractSocket::UnconnectedState, WaitMs);

        // The place given up is free again once the server has seen it go; until then newcomers
        // are refused. QTRY may test its condition again after success, so success is kept.
        held.front()->abort();
        bool answered = false;
        const auto newcomerAnswered = [&] {
            answered = answered || answers(ask(*connectedClient(), "2"), "2");
            return answered;
        };
        QTRY_VERIFY_WITH_TIMEOUT(newcomerAnswered(), WaitMs);
    }

    void handlesItsArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("writesToStdout");
        QTest::newRow("help") << QStringList{"--help"} << 0 << true;
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << false;
        QTest::newRow("port too large") << QStringList{"--port", "65536"} << 2 << false;
        QTest::newRow("not an address") << QStringList{"--listen", "nowhere"} << 2 << false;
        QTest::newRow("port in use") << QStringList{"--port", QString::number(port_)} << 1 << false;
    }
    void handlesItsArguments() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(bool, writesToStdout);
        QProcess process;
        process.start(QStringLiteral(QUORVEL_SERVER_PATH), arguments);
        QVERIFY(process.waitForFinished(WaitMs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        // Help goes to standard output; every failure is one line on standard error.
        QCOMPARE(process.readAllStandardOutput().isEmpty(), !writesToStdout);
        QCOMPARE(process.readAllStandardError().count('\n'), writesToStdout ? 0 : 1);
    }

private:
    void startServer() {
        server_.start(QStringLiteral(QUORVEL_SERVER_PATH),
                      {QStringLiteral("--port"), QStringLiteral("0")});
        QVERIFY(server_.waitForStarted(WaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(server_.canReadLine(), WaitMs);
        const QString line = QString::fromUtf8(server_.readLine()).trimmed();
        static const QRegularExpression listening(
            QStringLiteral("^Listening on 127\\.0\\.0\\.1:(\\d+)$"));
        const QRegularExpressionMatch match = listening.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        port_ = quint16(match.captured(1).toUInt());
        QVERIFY(port_ != 0);
    }
    void stopServer() {
        server_.terminate();
        QVERIFY(server_.waitForFinished(WaitMs));
    }
    std::unique_ptr<QTcpSocket> connectedClient() {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, port_);
        client->waitForConnected(WaitMs);
        return client;
    }

    QProcess server_;
    quint16 port_ = 0;
};

QTEST_GUILESS_MAIN(TstTimeServerProcess)
#include "tst_timeserverprocess.moc"
