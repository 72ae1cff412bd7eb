#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <sys/fsuid.h>
#include <unistd.h>

#include "engine/updateengine.h"
#include "programfixture.h"
#include "support/scriptedserver.h"

namespace {
// Makes this thread's file access that of an ordinary user while it lives, so that a folder's
// permission bits hold even for root (whose file capabilities lapse with the file user ID).
class OrdinaryFileUser {
public:
    OrdinaryFileUser() : root_(::geteuid() == 0) {
        if (root_) {
            ::setfsgid(65534);
            ::setfsuid(65534);
        }
    }
    ~OrdinaryFileUser() {
        if (root_) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }

private:
    bool root_;
};

QDateTime utcAt(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(12, 0), Qt::UTC);
}
}  // namespace

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

    // Until the user leaves a field, a value read from the file is used as it stands.
    void fileValuesStayUncheckedUntilAFieldIsLeft() {
        f.writeFile("Quorvel.ini", "Attempts=0\r\nTimeout=995\r\nForgetPing=-5\r\n");
        f.launch();
        f.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window()));
        QCOMPARE(f.control<QLineEdit>("txtAttempts")->text(), QStringLiteral("0"));
        QCOMPARE(f.control<QLineEdit>("txtTimeout")->text(), QStringLiteral("995"));
        QCOMPARE(f.control<QLineEdit>("txtForgetPing")->text(), QStringLiteral("-5"));
        QCOMPARE(f.program->settings().attemptsText, QStringLiteral("0"));
        f.control<QLineEdit>("txtAttempts")->setFocus();
        f.control<QWidget>("chkLoop")->setFocus();
        QCOMPARE(f.control<QLineEdit>("txtAttempts")->text(), QStringLiteral("1"));
        QCOMPARE(f.control<QLineEdit>("txtTimeout")->text(), QStringLiteral("995"));
    }

    // The option follows the zone's state at the moment the clock says it is, in a zone whose
    // daylight time runs from April to October of 2026.
    void daylightOptionFollowsTheZoneAtLaunch_data() {
        QTest::addColumn<QDateTime>("utcNow");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QByteArray>("inFile");
        QTest::addColumn<int>("option");
        const QDateTime july = utcAt(2026, 7, 1);
        const QDateTime december = utcAt(2026, 12, 1);
        QTest::newRow("summer, off in the file") << july << -60 << QByteArray("0") << 1;
        QTest::newRow("winter, on in the file") << december << -60 << QByteArray("1") << 0;
        QTest::newRow("summer, greyed stays") << july << -60 << QByteArray("2") << 2;
        QTest::newRow("winter, greyed goes") << december << -60 << QByteArray("2") << 0;
        QTest::newRow("no daylight saving") << july << 0 << QByteArray("1") << 1;
    }
    void daylightOptionFollowsTheZoneAtLaunch() {
        QFETCH(QDateTime, utcNow);
        QFETCH(int, shift);
        QFETCH(QByteArray, inFile);
        f.clock.setNow(utcNow.toLocalTime(), utcNow);
        f.zone.setOffsets(0, shift);
        f.zone.setDaylightPeriod(utcAt(2026, 4, 1), utcAt(2026, 10, 1));
        f.writeFile("Quorvel.ini", "DaylightSavings=" + inFile + "\r\n");
        f.launch();
        QTEST(f.program->settings().daylightSaving, "option");
        f.zone.setOffsets(0, 0);
        f.zone.setDaylightPeriod({}, {});
    }

    // A folder the user may read but not write: the options still load, and what cannot be
    // saved is logged while the files stay as they were.
    void readOnlyDataFolderLosesNothing() {
        const QByteArray settings = "Attempts=7\r\n";
        f.writeFile("Quorvel.ini", settings);
        QFile::setPermissions(f.data.filePath("Quorvel.ini"),
                              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QFile::setPermissions(
            f.data.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        {
            OrdinaryFileUser user;
            f.launch();
            QCOMPARE(f.program->settings().attemptsText, QStringLiteral("7"));
            f.program->end();
        }
        QFile::setPermissions(f.data.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(f.messages().contains(QStringLiteral("File ") + f.data.filePath("Quorvel.ini") +
                                      QStringLiteral(" could not be saved - Permission denied.")));
        QCOMPARE(f.readFile("Quorvel.ini"), settings);
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
