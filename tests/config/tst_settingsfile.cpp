#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "config/settingsfile.h"

Q_DECLARE_METATYPE(Settings)

namespace {

Settings defaultsWith(const std::function<void(Settings&)>& change) {
    Settings settings;
    change(settings);
    return settings;
}

const QByteArray DefaultFile =
    "MinimizeOnLoad=0\r\nUpdateOnLoad=0\r\nCloseAfterUpdate=0\r\nSchedule=1\r\nUpdateEvery=6\r\n"
    "Timeout=6000\r\nMaxPing=1000\r\nForgetPing=6000\r\nAttempts=10\r\nLoop=0\r\n"
    "DaylightSavings=0\r\n";

}  // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsLines_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Settings>("expected");
        const auto row = [](const char* name, const QByteArray& file,
                            const std::function<void(Settings&)>& change) {
            QTest::newRow(name) << file << defaultsWith(change);
        };
        row("empty file", "", [](Settings&) {});
        row("mixed-case key", "Attempts=3", [](Settings& s) { s.txtAttempts = "3"; });
        row("upper-case key", "MINIMIZEONLOAD=1", [](Settings& s) { s.chkMinimizeOnLoad = 1; });
        row("spaces before key or around =", " timeout=100\r\ntimeout = 100", [](Settings&) {});
        row("value trimmed", "timeout=  100  ", [](Settings& s) { s.txtTimeout = "100"; });
        row("value lower-cased", "updateevery=ABC", [](Settings& s) { s.txtTimes = "abc"; });
        row("unchecked text", "attempts=500", [](Settings& s) { s.txtAttempts = "500"; });
        row("1.5 rounds to 2", "loop=1.5", [](Settings& s) { s.chkLoop = 2; });
        row("0.5 rounds to 0", "loop=1\r\nloop=0.5", [](Settings& s) { s.chkLoop = 0; });
        row("no number is 0", "loop=1\r\nloop=abc", [](Settings& s) { s.chkLoop = 0; });
        row("last line wins", "maxping=5\r\nmaxping=7", [](Settings& s) { s.txtMaxPing = "7"; });
        row("strict number", "schedule= 0 ", [](Settings& s) { s.chkSchedule = 0; });
        row("7 stops", "loop=1\r\nloop=7\r\nattempts=3", [](Settings& s) { s.chkLoop = 1; });
        row("beyond 16 bits stops", "loop=70000\r\nattempts=3", [](Settings&) {});
        row("empty schedule stops", "attempts=3\r\nschedule=\r\nloop=1",
            [](Settings& s) { s.txtAttempts = "3"; });
        row("schedule yes stops", "schedule=yes\r\nloop=1", [](Settings&) {});
        row("grouped schedule stops", "schedule=1,000\r\nloop=1", [](Settings&) {});
        row("lone CR and LF end lines", "loop=1\rattempts=3\nmaxping=5",
            [](Settings& s) { s.chkLoop = 1, s.txtAttempts = "3", s.txtMaxPing = "5"; });
    }
    void readsLines() {
        QFETCH(QByteArray, file);
        QFETCH(Settings, expected);
        Settings settings;
        readSettings(file, settings);
        QCOMPARE(settings, expected);
    }

    void writesDefaults() { QCOMPARE(settingsFileBytes(Settings()), DefaultFile); }

    void readsBackWhatItWrites() {
        const Settings written{.chkMinimizeOnLoad = 2,
                               .chkUpdateOnLoad = 1,
                               .chkCloseAfterUpdate = 1,
                               .chkSchedule = 0,
                               .txtTimes = "12",
                               .txtTimeout = "995",
                               .txtMaxPing = "0",
                               .txtForgetPing = "-20",
                               .txtAttempts = "99",
                               .chkLoop = 1,
                               .chkDaylightSavings = 2};
        Settings read;
        readSettings(settingsFileBytes(written), read);
        QCOMPARE(read, written);
    }

    void launchAtStartUpIsNotKept() {
        const Settings written = defaultsWith([](Settings& s) { s.chkLoadOnStartUp = 1; });
        QCOMPARE(settingsFileBytes(written), DefaultFile);
    }

    void savesIntoNewFolderAndLoadsBack() {
        QTemporaryDir dir;
        const QString path = settingsFilePath(dir.filePath("new/folder"));
        const Settings saved = defaultsWith([](Settings& s) { s.txtAttempts = "4"; });
        QVERIFY(SaveSettings(path, saved).ok);
        Settings loaded;
        LoadSettings(path, loaded);
        QCOMPARE(loaded, saved);
    }

    void missingFileKeepsRecord() {
        QTemporaryDir dir;
        const Settings before = defaultsWith([](Settings& s) { s.chkLoop = 1; });
        Settings settings = before;
        LoadSettings(settingsFilePath(dir.path()), settings);
        QCOMPARE(settings, before);
    }

    void folderThatCannotBeMadeFailsWithReason() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const QString path = settingsFilePath(blocker.fileName());
        const SaveResult result = SaveSettings(path, Settings());
        QVERIFY(!result.ok);
        QCOMPARE(saveFailureLine(path, result.reason),
                 "File " + path + " could not be saved - the folder could not be created.");
    }

    void readOnlyFolderKeepsPreviousFile() {
        if (geteuid() == 0)
            QSKIP("permission bits do not stop root");
        QTemporaryDir dir;
        const QString path = settingsFilePath(dir.path());
        QVERIFY(SaveSettings(path, Settings()).ok);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const SaveResult result =
            SaveSettings(path, defaultsWith([](Settings& s) { s.chkLoop = 1; }));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!result.ok);
        QVERIFY(!result.reason.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), DefaultFile);
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
