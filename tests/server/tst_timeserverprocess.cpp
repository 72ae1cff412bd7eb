#include <sys/resource.h>
#include <sys/socket.h>
#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <vector>

#include "timeserver.h"

using Clients = std::vector<std::unique_ptr<QTcpSocket>>;

// The built quorvel-server, run as a process on a free loopback port.
class TstTimeServerProcess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void answersManyClientsAtOnce();
    void answersEveryQueryOfOneConnection();
    void keepsAnsweringAfterGarbageAndFlood();
    void answersAClientThatStopsSending();
    void survivesClientsThatVanish();
    void refusesClientsBeyondItsCap();
    void refusesAPortInUse();
    void handlesItsArguments_data();
    void handlesItsArguments();

private:
    void startServer();  // sets port_
    void stopServer();
    std::unique_ptr<QTcpSocket> connectedClient();
    // Opens the clients all at once; the test fails unless all of them connect.
    Clients connectAll(int count);
    // Each client asks for the number of its place and must get its answer.
    void askAll(const Clients& clients);
    // Sends the query and returns the whole reply, or an empty text when none came.
    QByteArray ask(QTcpSocket& client, const QByteArray& query);

    QProcess server_;
    quint16 port_ = 0;
};

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

}  // namespace

void TstTimeServerProcess::initTestCase() {
    startServer();
}

void TstTimeServerProcess::startServer() {
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

void TstTimeServerProcess::stopServer() {
    server_.terminate();
    QVERIFY(server_.waitForFinished(WaitMs));
}

void TstTimeServerProcess::cleanupTestCase() {
    stopServer();
}

std::unique_ptr<QTcpSocket> TstTimeServerProcess::connectedClient() {
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, port_);
    client->waitForConnected(WaitMs);
    return client;
}

QByteArray TstTimeServerProcess::ask(QTcpSocket& client, const QByteArray& query) {
    client.write(query);
    const auto done = [&] {
        return client.bytesAvailable() >= replyLength(query) ||
               client.state() == QAbstractSocket::UnconnectedState;
    };
    if (!QTest::qWaitFor(done, WaitMs))
        return {};
    return client.readAll();
}

Clients TstTimeServerProcess::connectAll(int count) {
    Clients clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, port_);
    }
    const auto allConnected = [&] {
        return std::all_of(clients.begin(), clients.end(), [](const auto& client) {
            return client->state() == QAbstractSocket::ConnectedState;
        });
    };
    [&] { QTRY_VERIFY_WITH_TIMEOUT(allConnected(), WaitMs); }();
    return clients;
}

void TstTimeServerProcess::askAll(const Clients& clients) {
    // Every client has its query out before any answer is read.
    for (size_t i = 0; i < clients.size(); ++i)
        clients[i]->write(QByteArray::number(i + 1));
    const auto allAnswered = [&] {
        for (size_t i = 0; i < clients.size(); ++i) {
            if (clients[i]->bytesAvailable() < replyLength(QByteArray::number(i + 1)))
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(allAnswered(), WaitMs);
    for (size_t i = 0; i < clients.size(); ++i) {
        const QByteArray reply = clients[i]->readAll();
        QVERIFY2(answers(reply, QByteArray::number(i + 1)), reply.constData());
    }
}

void TstTimeServerProcess::answersManyClientsAtOnce() {
    const Clients clients = connectAll(100);
    QVERIFY(!QTest::currentTestFailed());
    askAll(clients);
}

void TstTimeServerProcess::answersEveryQueryOfOneConnection() {
    const auto client = connectedClient();
    for (const QByteArray query : {"1", "2", "3", "32767"})
        QVERIFY(answers(ask(*client, query), query));
}

void TstTimeServerProcess::keepsAnsweringAfterGarbageAndFlood() {
    const auto flooder = connectedClient();
    flooder->write("abc");
    flooder->write(QByteArray(1024 * 1024, 'x'));
    const auto other = connectedClient();
    QVERIFY(answers(ask(*other, "7"), "7"));
    QTRY_COMPARE_WITH_TIMEOUT(flooder->bytesToWrite(), 0, WaitMs);
    QVERIFY(answers(ask(*other, "8"), "8"));
    // Garbage never gets an answer.
    QCOMPARE(flooder->bytesAvailable(), 0);
}

void TstTimeServerProcess::answersAClientThatStopsSending() {
    // As "printf 5 | nc host port" does: the query, then the end of the client's sending.
    const auto client = connectedClient();
    client->write("5");
    QVERIFY(client->waitForBytesWritten(WaitMs));
    QCOMPARE(::shutdown(int(client->socketDescriptor()), SHUT_WR), 0);
    QTRY_COMPARE_WITH_TIMEOUT(client->bytesAvailable(), replyLength("5"), WaitMs);
    QVERIFY(answers(client->readAll(), "5"));
}

void TstTimeServerProcess::survivesClientsThatVanish() {
    constexpr int Cycles = 300;
    for (int i = 0; i < Cycles; ++i) {
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port_);
        if (i % 2 == 0 && client.waitForConnected(WaitMs))
            client.write("1");  // and gone before the answer
        client.abort();
    }
    const auto survivor = connectedClient();
    QVERIFY(answers(ask(*survivor, "9"), "9"));
    QCOMPARE(server_.state(), QProcess::Running);
}

void TstTimeServerProcess::refusesClientsBeyondItsCap() {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < rlim_t(TimeServer::MostConnections) + 100)
        QSKIP("This process may not open enough connections.");
    // A fresh server, so that no connection of an earlier case still holds a place.
    stopServer();
    startServer();
    Clients held = connectAll(TimeServer::MostConnections);
    QVERIFY(!QTest::currentTestFailed());
    // An answer on each shows that the server has taken every one of them on.
    askAll(held);
    QVERIFY(!QTest::currentTestFailed());

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

void TstTimeServerProcess::refusesAPortInUse() {
    QProcess second;
    second.start(QStringLiteral(QUORVEL_SERVER_PATH),
                 {QStringLiteral("--port"), QString::number(port_)});
    QVERIFY(second.waitForFinished(WaitMs));
    QCOMPARE(second.exitCode(), 1);
    QCOMPARE(second.readAllStandardOutput(), QByteArray());
    QCOMPARE(second.readAllStandardError().count('\n'), 1);
}

void TstTimeServerProcess::handlesItsArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("writesToStdout");
    QTest::newRow("help") << QStringList{"--help"} << 0 << true;
    QTest::newRow("version") << QStringList{"--version"} << 0 << true;
    QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << false;
    QTest::newRow("port missing") << QStringList{"--port"} << 2 << false;
    QTest::newRow("port not a number") << QStringList{"--port", "abc"} << 2 << false;
    QTest::newRow("port too large") << QStringList{"--port", "65536"} << 2 << false;
    QTest::newRow("address not an address") << QStringList{"--listen", "nowhere"} << 2 << false;
    QTest::newRow("stray argument") << QStringList{"extra"} << 2 << false;
}

void TstTimeServerProcess::handlesItsArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(bool, writesToStdout);
    QProcess process;
    process.start(QStringLiteral(QUORVEL_SERVER_PATH), arguments);
    QVERIFY(process.waitForFinished(WaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    if (writesToStdout) {
        QVERIFY(!out.isEmpty());
        QVERIFY(err.isEmpty());
    } else {
        QVERIFY(out.isEmpty());
        QCOMPARE(err.count('\n'), 1);
    }
}

QTEST_GUILESS_MAIN(TstTimeServerProcess)
#include "tst_timeserverprocess.moc"
