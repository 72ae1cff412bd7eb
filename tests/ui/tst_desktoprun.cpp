#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "support/desktopprocess.h"
#include "support/scriptedserver.h"

// The desktop program as a user runs it: an ending signal still runs the shut-down sequence, and
// only one copy runs on a data folder.
class DesktopRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void endingSignalsSaveTheOptions_data();
    void endingSignalsSaveTheOptions();
    void laterLaunchRestoresTheRunningCopy();
    void copiesOnDifferentFoldersBothRun();
    void launchAfterACrashRuns();
    void silentRunningCopyIsLeftAlone();
    void onceRunsBesideARunningCopy();

private:
    QTemporaryDir home_;  // the start-up entry and the runtime folder, kept out of the user's
};

namespace {
// A data folder whose list holds the server, and whose update on load shows that a copy runs.
void prepareFolder(const QTemporaryDir& data, const ScriptedServer& server,
                   const QByteArray& settings = {}) {
    writeFile(data.filePath("Servers.ini"), "127.0.0.1:" + server.portText().toLatin1() + "\r\n");
    writeFile(data.filePath("Quorvel.ini"), "UpdateOnLoad=1\r\n" + settings);
}

// Every file of the folder with its bytes and time, to show that nothing was written.
QStringList folderState(const QString& folder) {
    QStringList state;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(entry.filePath());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "?";
        state << entry.fileName() + u' ' + entry.lastModified().toString(Qt::ISODateWithMs) + u' ' +
                     QString::fromLatin1(bytes.toHex());
    }
    return state;
}

}  // namespace

void DesktopRunTest::initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
    // A copy hides its minimized window only where a tray shows its icon.
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
}

void DesktopRunTest::endingSignalsSaveTheOptions_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void DesktopRunTest::endingSignalsSaveTheOptions() {
    QFETCH(int, signal);
    QTemporaryDir data;
    ScriptedServer server;
    prepareFolder(data, server, "Attempts=0\r\n");

    QProcess program;
    program.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QVERIFY(QTest::qWaitFor([&] { return server.connections > 0; }, 10000));
    ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QFile settings(data.filePath("Quorvel.ini"));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(settings.readAll().contains("Attempts=1\r\n"));  // the shut-down checks ran
    QVERIFY(!QFile::exists(data.filePath("Quorvel.lock")));  // released at the end
}

void DesktopRunTest::laterLaunchRestoresTheRunningCopy() {
    QTemporaryDir data;
    ScriptedServer server;
    prepareFolder(data, server, "MinimizeOnLoad=1\r\n");
    QProcess first;
    first.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QVERIFY(QTest::qWaitFor([&] { return server.connections > 0; }, 10000));
    QTest::qWait(300);
    QVERIFY(mainWindowMapState() != "IsViewable");  // only the tray icon is there
    const QStringList before = folderState(data.path());

    QProcess later;
    QElapsedTimer took;
    took.start();
    later.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path() + "/"});
    QVERIFY(later.waitForFinished(10000));
    qInfo("the later launch ended after %lld ms", took.elapsed());
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);
    QCOMPARE(later.readAllStandardOutput(), QByteArray());
    QCOMPARE(later.readAllStandardError(), QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(mainWindowMapState(), QStringLiteral("IsViewable"), 5000);
    QCOMPARE(server.connections, 1);  // no second update on load
    QCOMPARE(folderState(data.path()), before);
    QVERIFY(first.state() == QProcess::Running);
    stopProgram(first);
}

void DesktopRunTest::copiesOnDifferentFoldersBothRun() {
    QTemporaryDir oneData;
    QTemporaryDir twoData;
    ScriptedServer oneServer;
    ScriptedServer twoServer;
    prepareFolder(oneData, oneServer);
    prepareFolder(twoData, twoServer);
    QProcess one;
    QProcess two;
    one.start(QUORVEL_PATH, {"--dry-run", "--data-dir", oneData.path()});
    QVERIFY(QTest::qWaitFor([&] { return oneServer.connections > 0; }, 10000));
    two.start(QUORVEL_PATH, {"--dry-run", "--data-dir", twoData.path()});
    QVERIFY(QTest::qWaitFor([&] { return twoServer.connections > 0; }, 10000));
    QVERIFY(one.state() == QProcess::Running);
    QVERIFY(two.state() == QProcess::Running);
    stopProgram(one);
    stopProgram(two);
    QCOMPARE(one.exitCode(), 0);
    QCOMPARE(two.exitCode(), 0);
}

void DesktopRunTest::launchAfterACrashRuns() {
    QTemporaryDir data;
    ScriptedServer server;
    prepareFolder(data, server);
    QProcess crashed;
    crashed.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QVERIFY(QTest::qWaitFor([&] { return server.connections > 0; }, 10000));
    crashed.kill();  // leaves its lock file and its socket file behind
    QVERIFY(crashed.waitForFinished(10000));
    QVERIFY(QFile::exists(data.filePath("Quorvel.lock")));

    QProcess next;
    next.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QVERIFY(QTest::qWaitFor([&] { return server.connections > 1; }, 10000));
    QVERIFY(next.state() == QProcess::Running);
    stopProgram(next);
    QCOMPARE(next.exitCode(), 0);
}

void DesktopRunTest::silentRunningCopyIsLeftAlone() {
    // A copy that holds the folder but does not answer, as while it starts up.
    QTemporaryDir data;
    QLockFile held(data.filePath("Quorvel.lock"));
    QVERIFY(held.tryLock(0));
    const QStringList before = folderState(data.path());

    QProcess later;
    QElapsedTimer took;
    took.start();
    later.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QVERIFY(later.waitForFinished(20000));
    qInfo("the later launch gave up after %lld ms", took.elapsed());
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);
    QCOMPARE(later.readAllStandardOutput(), QByteArray());
    QVERIFY(later.readAllStandardError().contains("did not answer"));
    QCOMPARE(folderState(data.path()), before);
}

void DesktopRunTest::onceRunsBesideARunningCopy() {
    QTemporaryDir data;
    ScriptedServer listed;
    prepareFolder(data, listed);
    QProcess desktop;
    desktop.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QVERIFY(QTest::qWaitFor([&] { return listed.connections > 0; }, 10000));
    const QStringList before = folderState(data.path());

    ScriptedServer answering([](QTcpSocket& client, const QByteArray& query) {
        client.write(ScriptedServer::reply(query));
    });
    QProcess once;
    once.start(QUORVEL_PATH, {"--once", "--dry-run", "--server",
                              "127.0.0.1:" + answering.portText(), "--data-dir", data.path()});
    QVERIFY(QTest::qWaitFor([&] { return once.state() == QProcess::NotRunning; }, 20000));
    QCOMPARE(once.exitCode(), 0);
    QVERIFY(
        once.readAllStandardOutput().contains("Packet was reply to attempt 1 - packet accepted:"));
    QCOMPARE(folderState(data.path()), before);
    QVERIFY(desktop.state() == QProcess::Running);
    stopProgram(desktop);
}

QTEST_MAIN(DesktopRunTest)
#include "tst_desktoprun.moc"
