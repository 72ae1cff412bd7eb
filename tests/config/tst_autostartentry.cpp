#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "config/autostartentry.h"

namespace {
QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

// The launch-at-login entry in the user's autostart folder, found as the program finds it:
// through XDG_CONFIG_HOME, here a temporary folder.
class AutostartEntryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        config_.emplace();
        qputenv("XDG_CONFIG_HOME", config_->path().toLocal8Bit());
    }

    void readsWhetherEnabled_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("exists") << QByteArray("[Desktop Entry]\nExec=/any/where\n") << true;
        QTest::newRow("CR LF") << QByteArray("[Desktop Entry]\r\nExec=/any/where\r\n") << true;
        QTest::newRow("empty") << QByteArray("[Desktop Entry]\nExec=\n") << false;
        QTest::newRow("other group") << QByteArray("[Other]\nExec=/any/where\n") << false;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=/any/where\nHidden=true\n")
                                << false;
        QTest::newRow("disabled in GNOME")
            << QByteArray("[Desktop Entry]\nExec=/q\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("missing") << QByteArray() << false;
    }
    void readsWhetherEnabled() {
        QFETCH(QByteArray, entry);
        const AutostartEntry autostart;
        if (!entry.isEmpty())
            QVERIFY(saveFileAtomically(autostart.path(), entry).ok);
        QTEST(autostart.isEnabled(), "enabled");
    }

    // Exec= quoted as the Desktop Entry rules require, so a launcher runs the path as it is.
    void writesTheLaunchCommand_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QByteArray>("execLine");
        QTest::newRow("plain") << "/opt/quorvel/quorvel"
                               << "" << QByteArray("Exec=/opt/quorvel/quorvel");
        QTest::newRow("spaces")
            << "/home/ann/my programs/quorvel"
            << "/home/ann/time data"
            << QByteArray(
                   R"(Exec="/home/ann/my programs/quorvel" --data-dir "/home/ann/time data")");
        QTest::newRow("reserved") << R"(/opt/100% $ure\q)"
                                  << "" << QByteArray(R"(Exec="/opt/100%% \\$ure\\\\q")");
    }
    void writesTheLaunchCommand() {
        QFETCH(QString, program);
        QFETCH(QString, dataDir);
        QFETCH(QByteArray, execLine);
        const AutostartEntry autostart;
        QVERIFY(autostart.write(launchCommand(program, dataDir)).ok);
        QCOMPARE(autostart.path(),
                 config_->filePath(QStringLiteral("autostart/vostrand-quorvel.desktop")));
        QCOMPARE(fileBytes(autostart.path()),
                 "[Desktop Entry]\nType=Application\nName=Vostrand - Quorvel\n" + execLine + '\n');
        QVERIFY(autostart.isEnabled());
    }

    // Places that even root cannot write, since root ignores a folder's permission bits. The
    // failure comes back with its reason for the log, and what was there stays.
    void unwritablePlaceLosesNothing_data() {
        QTest::addColumn<QString>("kept");  // a file in the way of the entry
        QTest::addColumn<int>("option");
        const QString inEntryPlace = QStringLiteral("autostart/vostrand-quorvel.desktop/kept");
        QTest::newRow("autostart is a file") << "autostart" << 1;
        QTest::newRow("entry is a folder") << inEntryPlace << 1;
        QTest::newRow("entry is a folder, deleting") << inEntryPlace << 0;
    }
    void unwritablePlaceLosesNothing() {
        QFETCH(QString, kept);
        QFETCH(int, option);
        QVERIFY(saveFileAtomically(config_->filePath(kept), "kept").ok);
        const AutostartEntry autostart;
        const SaveResult result =
            option == 1 ? autostart.write(QStringLiteral("/q")) : autostart.remove();
        QVERIFY(!result.ok && !result.reason.isEmpty());
        QCOMPARE(fileBytes(config_->filePath(kept)), QByteArray("kept"));
        QVERIFY(!autostart.isEnabled());
    }

private:
    std::optional<QTemporaryDir> config_;
};

QTEST_GUILESS_MAIN(AutostartEntryTest)
#include "tst_autostartentry.moc"
