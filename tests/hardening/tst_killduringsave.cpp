#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>

#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "hardeningcontent.h"

// Processes that save the settings file or the server list over and over, through the program's
// own save, are killed (SIGKILL) at random moments; after every kill the file on disk must be
// one of the two versions, whole.
class KillDuringSaveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileIsOldOrNewAfterEveryKill_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("settings") << "settings" << settingsFileBytes(hardening::settings(false))
                                  << settingsFileBytes(hardening::settings(true));
        QTest::newRow("server list") << "servers" << serverListFileBytes(hardening::servers(false))
                                     << serverListFileBytes(hardening::servers(true));
    }
    void fileIsOldOrNewAfterEveryKill() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        // In memory where the machine has it: a kill cuts a save the same way there, and
        // without waits for the disk many more kills fit in the time.
        const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/quorvel-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/quorvel-XXXXXX"));
        const QString path = dir.filePath(QStringLiteral("saved.ini"));
        QVERIFY(saveFileAtomically(path, first).ok);
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int kills = 0;
        int sawSecond = 0;
        QProcess savers;  // forks a saver whenever asked: cheaper than starting one each time
        savers.start(QStringLiteral(SAVELOOPER_PATH), {kind, path});
        QVERIFY(savers.waitForStarted(5000));
        const auto ask = [&](const char* command) {
            savers.write(command);
            return savers.waitForReadyRead(5000) ? savers.readLine().trimmed().toInt() : -1;
        };
        QElapsedTimer spent;
        spent.start();
        while (kills < MostKills && spent.elapsed() < MostMs) {
            const int saver = ask("start\n");
            QVERIFY(saver > 0);
            QThread::usleep(random.bounded(MostDelayUs));
            QCOMPARE(::kill(saver, SIGKILL), 0);
            QCOMPARE(ask("reap\n"), SIGKILL);  // killed while still saving, and gone
            ++kills;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray found = file.readAll();
            QVERIFY2(found == first || found == second,
                     qPrintable(QStringLiteral("kill %1 (seed %2) left %3 bytes")
                                    .arg(kills)
                                    .arg(seed)
                                    .arg(found.size())));
            sawSecond += found == second;
        }
        savers.closeWriteChannel();
        QVERIFY(savers.waitForFinished(5000));
        qInfo("%s: %d kills survived in %lld ms, %d left the second version", qPrintable(kind),
              kills, spent.elapsed(), sawSecond);
        QVERIFY(kills >= 50);  // a slow machine gets fewer kills in the time, never none
    }

private:
    static constexpr int MostKills = 300;
    static constexpr qint64 MostMs = 3000;
    static constexpr int MostDelayUs = 10000;
};

QTEST_GUILESS_MAIN(KillDuringSaveTest)
#include "tst_killduringsave.moc"
