#include <sys/socket.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/scriptedserver.h"

namespace {

constexpr int WaitMs = 5000;

// The peak resident memory of a running process, in KiB; 0 once it is gone.
qint64 peakMemoryKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong();
    }
    return 0;
}

// Drops the connection with a reset instead of an orderly close.
void reset(QTcpSocket& client) {
    const linger abort{1, 0};
    ::setsockopt(int(client.socketDescriptor()), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    client.abort();
}

// Writes one byte every second for as long as the connection lasts.
void trickle(QTcpSocket& client, const QByteArray& query) {
    auto* timer = new QTimer(&client);
    QObject::connect(timer, &QTimer::timeout, &client,
                     [&client, bytes = ScriptedServer::reply(query), sent = 0]() mutable {
                         client.write(bytes.mid(sent++ % bytes.size(), 1));
                     });
    timer->start(1000);
}

// Keeps a megabyte on its way to the client for as long as the connection lasts.
void flood(QTcpSocket& client, const QByteArray&) {
    auto* timer = new QTimer(&client);
    QObject::connect(timer, &QTimer::timeout, &client, [&client] {
        if (client.bytesToWrite() < (1 << 20))
            client.write(QByteArray(256 * 1024, '7'));
    });
    timer->start(1);
}

}  // namespace

// quorvel --once --dry-run against servers that refuse, trickle, reset or flood; and
// quorvel-server through thousands of connections that come and go at once.
class HostileServersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dataDir_.isValid());
        QFile settings(dataDir_.filePath(QStringLiteral("Quorvel.ini")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("Timeout=1000\r\nMaxPing=200\r\nForgetPing=500\r\nAttempts=2\r\n");
    }

    void clientStaysSmallAndTruthful_data() {
        QTest::addColumn<ScriptedServer::Script>("script");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("refuses") << ScriptedServer::Script() << "Connection timed out.";
        QTest::newRow("trickles a byte a second")
            << ScriptedServer::Script(trickle) << "Update failed too many times.";
        QTest::newRow("resets") << ScriptedServer::Script([](QTcpSocket& c, const QByteArray&) {
            reset(c);
        }) << "Connection lost.";
        QTest::newRow("sends megabytes")
            << ScriptedServer::Script(flood) << "Update failed too many times.";
    }
    void clientStaysSmallAndTruthful() {
        QFETCH(ScriptedServer::Script, script);
        QFETCH(QString, lastLine);
        ScriptedServer server(script);
        quint16 port = server.port();
        QTcpServer closed;  // a port nobody listens on any more
        if (!script) {
            QVERIFY(ScriptedServer::listenOnLowPort(closed));
            port = closed.serverPort();
            closed.close();
        }
        QProcess quorvel;
        // An address-sanitized build holds freed memory back for reuse later; without that hold
        // the peak shows what the client itself keeps.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":quarantine_size_mb=1"));
        quorvel.setProcessEnvironment(environment);
        quorvel.start(QStringLiteral(QUORVEL_PATH),
                      {"--once", "--dry-run", "--server", "127.0.0.1:" + QString::number(port),
                       "--data-dir", dataDir_.path()});
        QVERIFY(quorvel.waitForStarted(WaitMs));
        qint64 peakKiB = 0;
        QElapsedTimer running;
        running.start();
        // The client's own waits end the run; the bound here only keeps a broken one from hanging.
        while (quorvel.state() != QProcess::NotRunning && running.elapsed() < 30000) {
            peakKiB = qMax(peakKiB, peakMemoryKiB(quorvel.processId()));
            QTest::qWait(5);
        }
        QCOMPARE(quorvel.state(), QProcess::NotRunning);
        QCOMPARE(quorvel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quorvel.exitCode(), 1);
        static const QRegularExpression stamped(
            QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\]  [^*]"));
        const QStringList lines =
            QString::fromUtf8(quorvel.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : lines)
            QVERIFY2(line.contains(stamped), qPrintable(line));  // no forged or claimed update
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines.last().mid(12), lastLine);
        qInfo("peak memory %lld KiB, %lld ms", peakKiB, running.elapsed());
        if (!script)
            baselineKiB_ = peakKiB;
        QVERIFY2(peakKiB < baselineKiB_ + 32 * 1024, qPrintable(QString::number(baselineKiB_)));
    }

private:
    QTemporaryDir dataDir_;
    qint64 baselineKiB_ = 0;
};

QTEST_GUILESS_MAIN(HostileServersTest)
#include "tst_hostileservers.moc"
