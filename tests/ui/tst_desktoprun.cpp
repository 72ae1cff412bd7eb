#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

#include "support/scriptedserver.h"

// The desktop program as a user runs it: an ending signal still runs the shut-down sequence.
class DesktopRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void endingSignalsSaveTheOptions_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void endingSignalsSaveTheOptions() {
        QFETCH(int, signal);
        QTemporaryDir data;
        ScriptedServer server;  // the launch update's connection shows that the program runs
        QFile servers(data.filePath("Servers.ini"));
        QVERIFY(servers.open(QIODevice::WriteOnly));
        servers.write("127.0.0.1:" + server.portText().toLatin1() + "\r\n");
        servers.close();
        QFile settings(data.filePath("Quorvel.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("UpdateOnLoad=1\r\nAttempts=0\r\n");
        settings.close();

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", data.filePath("config"));
        program.setProcessEnvironment(environment);
        program.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
        QVERIFY(QTest::qWaitFor([&] { return server.connections > 0; }, 10000));
        ::kill(pid_t(program.processId()), signal);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().contains("Attempts=1\r\n"));  // the shut-down checks ran
    }
};

QTEST_MAIN(DesktopRunTest)
#include "tst_desktoprun.moc"
