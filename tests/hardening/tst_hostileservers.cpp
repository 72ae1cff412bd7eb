#include <sys/resource.h>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/filebytes.h"
#include "support/scriptedserver.h"

// quorvel --once --dry-run against servers that send garbage, never finish a reply or flood: it
// neither crashes, hangs nor swells, claims no update and gives up for the right reason.
class HostileServersTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        writeFile(dataDir_.filePath("Quorvel.ini"),
                  "Timeout=1000\r\nMaxPing=200\r\nForgetPing=500\r\nAttempts=2\r\n");
        // AddressSanitizer's hold on freed memory would hide what the client itself keeps.
        qputenv("ASAN_OPTIONS", qgetenv("ASAN_OPTIONS") + ":quarantine_size_mb=1");
    }

    void givesUpUnharmed_data() {
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<QByteArray>("bytes");
        // The first row's peak memory is the yardstick for the others.
        QTest::newRow("garbage") << 100 << QByteArrayLiteral("\0\xff\r\n[12:00:00]  *Clock set\n");
        QTest::newRow("a number that never ends") << 50 << QByteArray("9");
        QTest::newRow("flood") << 1 << QByteArray(256 * 1024, '7');
    }
    void givesUpUnharmed() {
        QFETCH(int, intervalMs);
        QFETCH(QByteArray, bytes);
        ScriptedServer server;
        // The bytes again and again, from the moment of connecting, at most a MiB on the way.
        server.setOnConnect([&](QTcpSocket& client) {
            auto* timer = new QTimer(&client);
            connect(timer, &QTimer::timeout, &client, [&client, bytes] {
                if (client.bytesToWrite() < (1 << 20))
                    client.write(bytes);
            });
            timer->start(intervalMs);
        });
        QProcess quorvel;
        QSignalSpy finished(&quorvel, &QProcess::finished);
        quorvel.start(QUORVEL_PATH,
                      {"--once", "--dry-run", "--server", "127.0.0.1:" + server.portText(),
                       "--data-dir", dataDir_.path()});
        QVERIFY(finished.wait(30000));  // the client's own waits end the run long before
        QCOMPARE(quorvel.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quorvel.exitCode(), 1);
        static const QRegularExpression stamped("^\\[\\d\\d:\\d\\d:\\d\\d\\]  [^*]");
        const QStringList lines =
            QString::fromUtf8(quorvel.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString& line : lines)
            QVERIFY2(line.contains(stamped), qPrintable(line));  // no forged or claimed update
        QCOMPARE(lines.value(lines.size() - 1).mid(12), "Update failed too many times.");
        rusage children{};  // the largest peak of the runs so far, in KiB
        QCOMPARE(getrusage(RUSAGE_CHILDREN, &children), 0);
        baselineKiB_ = baselineKiB_ ? baselineKiB_ : children.ru_maxrss;
        QCOMPARE_LT(children.ru_maxrss, baselineKiB_ + 8 * 1024);
    }

private:
    QTemporaryDir dataDir_;
    long baselineKiB_ = 0;
};

QTEST_GUILESS_MAIN(HostileServersTest)
#include "tst_hostileservers.moc"
