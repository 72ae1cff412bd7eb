#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "engine/updateengine.h"
#include "programfixture.h"
#include "support/scriptedserver.h"

class StartUpShutDownTest : public QObject {
    Q_OBJECT
    ProgramFixture f;

private Q_SLOTS:
    void initTestCase() { QVERIFY(trayHostRunning()); }
    void init() { f.program.reset(); }
    void cleanup() {
        f.program.reset();
        QFile::remove(f.data.filePath("Quorvel.ini"));
        QFile::remove(f.data.filePath("Servers.ini"));
        QFile::remove(f.autostartEntry.path());
    }

    void firstLaunchHasEveryDefault() {
        DesktopProgram& program = f.launch();
        QCOMPARE(program.tray().platformIcon()->toolTip(),
                 QStringLiteral("Quorvel - Launched at 12:00:00"));
        QVERIFY(program.tray().platformIcon()->isVisible());
        QCOMPARE(f.messages(), QStringList{"Program launched."});
        QCOMPARE(program.settings(), Settings{});
        QCOMPARE(program.servers().count(), 0);
        QVERIFY(!f.control<QCheckBox>("chkLoadOnStartUp")->isChecked());
        QVERIFY(program.engine().isIdle());
        QCOMPARE(program.engine().nextUpdate(), f.clock.localNow().addSecs(6 * 3600));
        QVERIFY(QTest::qWaitForWindowExposed(&f.window()));
        QVERIFY(!f.control<QPushButton>("butDisconnect")->isEnabled());
        QVERIFY(!f.control<QPushButton>("butMoveUp")->isEnabled());
        QVERIFY(!f.control<QPushButton>("butMoveDown")->isEnabled());
    }

    void minimizeOnLoadShowsOnlyTheTrayIcon() {
        f.writeFile("Quorvel.ini", "MinimizeOnLoad=1\r\n");
        DesktopProgram& program = f.launch();
        QTest::qWait(50);  // let any showing happen
        QVERIFY(!f.window().isVisible());
        QVERIFY(program.tray().platformIcon()->isVisible());
    }

    void updateOnLoadFollowsTheLaunchLine() {
        ScriptedServer server;
        f.writeFile("Quorvel.ini", "UpdateOnLoad=1\r\n");
        f.writeFile("Servers.ini", "127.0.0.1:" + server.portText().toLatin1() + "\r\n");
        f.launch();
        QCOMPARE(f.messages().mid(0, 2),
                 (QStringList{"Program launched.",
                              "Attempted to connect to 127.0.0.1:" + server.portText() + ":"}));
    }

    void closingDuringARunEndsItAndSavesTheOptions_data() {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("attempts 0") << QByteArray("Attempts=0") << QByteArray("Attempts=1");
        QTest::newRow("wait 995") << QByteArray("Timeout=995") << QByteArray("Timeout=990");
    }
    void closingDuringARunEndsItAndSavesTheOptions() {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, written);
        ScriptedServer silent;
        f.writeFile("Quorvel.ini", typed + "\r\n");
        f.writeFile("Servers.ini", "127.0.0.1:" + silent.portText().toLatin1() + "\r\n");
        DesktopProgram& program = f.launch();
        QSignalSpy ended(&program, &DesktopProgram::ended);
        program.engine().requestUpdate();
        // Counted, not held: with no attempts the run may hang up before the test looks.
        QTRY_VERIFY(silent.connections > 0);
        f.window().close();
        QCOMPARE(f.messages().last(), QStringLiteral("Program closed."));
        QVERIFY(!program.tray().platformIcon()->isVisible());
        QCOMPARE(ended.size(), 1);
        QVERIFY(f.readFile("Quorvel.ini").contains(written + "\r\n"));
        QTRY_VERIFY(!silent.lastClient);  // the connection was closed
        program.end();                    // a second end runs nothing
        QCOMPARE(ended.size(), 1);
    }

    void startUpValueFollowsTheOption() {
        f.launch();
        f.control<QCheckBox>("chkLoadOnStartUp")->click();
        f.program->end();
        QVERIFY(f.autostartEntry.isEnabled());
        f.program.reset();

        f.launch();
        QVERIFY(f.control<QCheckBox>("chkLoadOnStartUp")->isChecked());
        f.control<QCheckBox>("chkLoadOnStartUp")->click();
        f.program->end();
        QVERIFY(!QFile::exists(f.autostartEntry.path()));
    }

    void aFailedSettingsSaveIsLogged() {
        f.writeFile("blocker", "a file where the data folder should be");
        DesktopProgram& program = f.launch(f.data.filePath("blocker"));
        program.end();
        QVERIFY(f.messages().last().startsWith("File " + f.data.filePath("blocker/Quorvel.ini") +
                                               " could not be saved - "));
    }
};

QTEST_MAIN(StartUpShutDownTest)
#include "tst_startupshutdown.moc"
