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
        row("spaces before key or around =", " timeout=100\r\ntimeout = 100", [](Settings&) {});
        row("value trimmed", "timeout=  100  ", [](Settings& s) { s.connectWaitText = "100"; });
        row("value lower-cased", "updateevery=ABC",
            [](Settings& s) { s.updatePeriodText = "abc"; });
        row("halves round to even", "loop=1.5\r\nminimizeonload=2.5",
            [](Settings& s) { s.loopList = 2, s.minimizeOnLaunch = 2; });
        row("no number is 0", "loop=1\r\nloop=abc", [](Settings& s) { s.loopList = 0; });
        row("last line wins", "maxping=5\r\nmaxping=7",
            [](Settings& s) { s.maxReplyDelayText = "7"; });
        row("strict number", "schedule= 0 ", [](Settings& s) { s.scheduled = 0; });
        // A value that is no check state ends the reading; what came before it stays.
        row("7 stops", "loop=1\r\nloop=7\r\nattempts=3", [](Settings& s) { s.loopList = 1; });
        row("beyond 16 bits stops", "loop=70000\r\nattempts=3", [](Settings&) {});
        row("empty schedule stops", "attempts=3\r\nschedule=\r\nloop=1",
            [](Settings& s) { s.attemptsText = "3"; });
        row("grouped schedule stops", "schedule=1,000\r\nloop=1", [](Settings&) {});
    }
    void readsLines() {
        QFETCH(QByteArray, file);
        Settings settings;
        readSettings(file, settings);
        QTEST(settings, "expected");
    }

    void writesDefaultsWithoutLaunchAtStartUp() {
        const Settings written = defaultsWith([](Settings& s) { s.launchAtLogin = 1; });
        QCOMPARE(settingsFileBytes(written), DefaultFile);
    }

    void savesIntoNewFolderAndLoadsBack() {
        // Every field away from its default, so that each key is written and read back.
        const Settings written = defaultsWith([](Settings& s) {
            s.minimizeOnLaunch = 2, s.updateOnLaunch = 1, s.closeAfterUpdate = 1;
            s.scheduled = 0, s.updatePeriodText = "12", s.connectWaitText = "995",
            s.maxReplyDelayText = "0";
            s.replyWaitText = "-20", s.attemptsText = "99", s.loopList = 1, s.daylightSaving = 2;
        });
        QTemporaryDir dir;
        const QString path = settingsFilePath(dir.filePath("new/folder"));
        Settings loaded = written;
        loadSettings(path, loaded);  // no file yet: the settings in hand stay as they are
        QCOMPARE(loaded, written);
        QVERIFY(saveSettings(path, written).ok);
        loaded = Settings();
        loadSettings(path, loaded);
        QCOMPARE(loaded, written);
    }

    void folderThatCannotBeMadeFailsWithReason() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("plainfile"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const QString path = settingsFilePath(blocker.fileName());
        const SaveResult result = saveSettings(path, Settings());
        QVERIFY(!result.ok);
        QCOMPARE(saveFailureLine(path, result.reason),
                 "File " + path + " could not be saved - the folder could not be created.");
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
