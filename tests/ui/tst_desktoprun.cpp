#include <QTemporaryDir>

#include "support/desktopprocess.h"
#include "support/scriptedserver.h"
#include "support/statusnotifierhost.h"

namespace {
const QString Restored = QStringLiteral("viewable, active");
const QString Hidden = QStringLiteral("unmapped");
const QStringList HiddenMenu{"Update Clock", "Show Quorvel", "Quit"};
const QStringList ShownMenu{"Update Clock", "Hide Quorvel", "Quit"};
}  // namespace

// The desktop program run as a user runs it, under a window manager (openbox), in the status
// tray of xfce4-panel (a StatusNotifier host), driven over the session bus as that host drives
// it.
class DesktopRunTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;  // the start-up entry and the runtime folder, kept out of the user's
    QTemporaryDir data_;
    QString ini_ = data_.filePath(QStringLiteral("Quorvel.ini"));
    ScriptedServer server_;  // never answers
    QProcess program_;
    QProcess host_;  // the panel started after the display's own was killed
    std::unique_ptr<QDBusInterface> item_;

    // Starts a copy whose window is to stay hidden.
    void launchHidden() { launchProgram(program_, data_.path(), server_, "MinimizeOnLoad=1\r\n"); }
    // Finds the copy's item as a host does, by the watcher.
    void findItem() {
        QStringList items;
        QTRY_VERIFY_WITH_TIMEOUT(!(items = registeredStatusNotifierItems()).isEmpty(), 10000);
        QCOMPARE(items.size(), 1);
        item_ = statusNotifierItem(items.first());
    }
    void launchIntoTray() {
        launchHidden();
        findItem();
        QCOMPARE(mainWindowManagerState(), Hidden);
    }

    void request(const QString& what) {
        if (what == "second launch")  // however it spells the folder
            return launchAgain(data_.path() + "/");
        if (what != "Activate")
            return clickMenuEntry(*item_, what);
        const QDBusMessage reply = item_->call(what, 0, 0);  // what a host does on a click
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }
    // The icon's pictures, each of them whole; 0 when one is cut short.
    int iconPictureCount() {
        QDBusInterface properties(item_->service(), item_->path(),
                                  "org.freedesktop.DBus.Properties");
        const auto pictures = qvariant_cast<QDBusArgument>(
            qvariant_cast<QDBusVariant>(
                properties.call("Get", item_->interface(), "IconPixmap").arguments().value(0))
                .variant());
        if (pictures.currentSignature() != "a(iiay)")
            return 0;
        int count = 0;
        pictures.beginArray();
        for (; !pictures.atEnd(); ++count) {
            int width = 0, height = 0;
            QByteArray pixels;
            pictures.beginStructure();
            pictures >> width >> height >> pixels;
            pictures.endStructure();
            if (pixels.size() != width * height * 4)
                return 0;
        }
        pictures.endArray();
        return count;
    }
    void killHost() {
        const int first = qEnvironmentVariableIntValue("TRAY_HOST_PID");
        if (first && host_.state() == QProcess::NotRunning)
            ::kill(pid_t(first), SIGKILL);
        host_.kill();
        host_.waitForFinished();
    }
    void startHost() {
        host_.start(qEnvironmentVariable("TRAY_HOST_COMMAND"), {});
        waitForHost();
    }
    void waitForHost() { QTRY_VERIFY_WITH_TIMEOUT(statusNotifierHostRegistered(), 15000); }

private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
        waitForHost();
    }
    void init() { server_.connections = 0; }
    void cleanup() { stopProgram(program_); }
    void cleanupTestCase() { killHost(); }

    // A window started hidden comes back as one that was shown first, in every round; one copy
    // per data folder: a later launch brings the running copy's window back and writes nothing.
    void hostRequestIsCarriedOut_data() {
        QTest::addColumn<QString>("outcome");
        for (const char* way : {"Activate", "Show Quorvel", "second launch"})
            QTest::newRow(way) << QStringLiteral("restored");
        QTest::newRow("Update Clock") << QStringLiteral("updating");
        QTest::newRow("Quit") << QStringLiteral("ended");
    }
    void hostRequestIsCarriedOut() {
        const QString what = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, outcome);
        // A restore that fails does so in some runs only.
        for (int round = 0; round < (outcome == "restored" ? 10 : 1); ++round) {
            stopProgram(program_);
            launchIntoTray();
            request(what);
            if (QTest::currentTestFailed())
                return;
            if (outcome == "ended") {
                QVERIFY(program_.waitForFinished(10000));
                QVERIFY(program_.exitStatus() == QProcess::NormalExit && program_.exitCode() == 0);
                QVERIFY(readFile(ini_).contains("Attempts=10\r\n"));  // written by the shut-down
                QVERIFY(!QFile::exists(data_.filePath("Quorvel.lock")));
                return;
            }
            if (outcome == "restored")
                QTRY_COMPARE_WITH_TIMEOUT(mainWindowManagerState(), Restored, 5000);
            else
                QTRY_COMPARE_WITH_TIMEOUT(server_.connections, 1, 5000);
            QCOMPARE(mainWindowManagerState(), outcome == "restored" ? Restored : Hidden);
            QCOMPARE(readFile(ini_), QByteArray("MinimizeOnLoad=1\r\n"));
        }
        QCOMPARE(server_.connections, outcome == "restored" ? 0 : 1);
    }

    // Started at login before the panel: the icon, with its menu, appears once the panel runs;
    // the menu hides a shown window and shows a hidden one (no minimizing here); and a panel
    // that dies takes no hidden window with it.
    void trayHostThatComesAndGoes() {
        killHost();
        QTRY_VERIFY_WITH_TIMEOUT(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     "org.kde.StatusNotifierWatcher"),
                                 5000);
        launchHidden();
        // No tray to hide into: minimized, on the task bar.
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowManagerState(), QStringLiteral("unmapped, minimized"),
                                  5000);
        startHost();
        findItem();
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(menuLabels(*item_), HiddenMenu, 5000);
        QVERIFY(iconPictureCount() > 0);
        clickMenuEntry(*item_, "Show Quorvel");
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowManagerState(), Restored, 5000);
        QTRY_COMPARE(menuLabels(*item_), ShownMenu);
        clickMenuEntry(*item_, "Hide Quorvel");
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowManagerState(), Hidden, 5000);
        QTRY_COMPARE(menuLabels(*item_), HiddenMenu);

        killHost();
        QTRY_VERIFY_WITH_TIMEOUT(mainWindowManagerState().startsWith("viewable"), 5000);
        QVERIFY(!mainWindowManagerState().contains("minimized"));
        startHost();
    }

    // The lock a crashed copy left is taken over; an ending signal runs the shut-down, which
    // frees the folder.
    void crashedCopysLockIsTakenOver() {
        launchIntoTray();
        if (QTest::currentTestFailed())
            return;
        program_.kill();
        QVERIFY(program_.waitForFinished(10000) && QFile::exists(data_.filePath("Quorvel.lock")));
        QTRY_VERIFY_WITH_TIMEOUT(registeredStatusNotifierItems().isEmpty(), 5000);
        launchIntoTray();
        if (QTest::currentTestFailed())
            return;
        stopProgram(program_);
        QCOMPARE(program_.exitCode(), 0);
        QVERIFY(readFile(ini_).contains("Attempts=10\r\n"));
        QVERIFY(!QFile::exists(data_.filePath("Quorvel.lock")));
    }
};

QTEST_MAIN(DesktopRunTest)
#include "tst_desktoprun.moc"
