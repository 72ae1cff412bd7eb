#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "config/startupregistration.h"
#include "config/autostartstore.h"

namespace {
QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

// The launch-at-login option through the user's autostart folder, found as the program finds
// it: through XDG_CONFIG_HOME, here a temporary folder.
class TstStartUpRegistration : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        config_.emplace();
        qputenv("XDG_CONFIG_HOME", config_->path().toLocal8Bit());
    }

    void readsTheOption_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<int>("option");
        QTest::newRow("exists") << QByteArray("[Desktop Entry]\nExec=/any/where\n") << 1;
        QTest::newRow("empty") << QByteArray("[Desktop Entry]\nExec=\n") << 0;
        QTest::newRow("missing") << QByteArray() << 0;
    }
    void readsTheOption() {
        QFETCH(QByteArray, entry);
        QFETCH(int, option);
        const AutostartStore store;
        if (!entry.isEmpty())
            QVERIFY(saveFileAtomically(store.entryPath(StartUpValueName), entry).ok);
        QCOMPARE(readStartUpOption(store), option);
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
        AutostartStore store;
        QVERIFY(writeStartUpOption(store, 1, startUpCommand(program, dataDir)).ok);
        QCOMPARE(store.entryPath(StartUpValueName),
                 config_->filePath(QStringLiteral("autostart/vostrand-quorvel.desktop")));
        QVERIFY(fileBytes(store.entryPath(StartUpValueName)).split('\n').contains(execLine));
        QCOMPARE(readStartUpOption(store), 1);
    }

    // Two copies share the one value: the copy that shuts down last decides.
    void lastCopyToShutDownDecides() {
        AutostartStore store;
        const QString first = startUpCommand(QStringLiteral("/opt/a/quorvel"), {});
        const QString second = startUpCommand(QStringLiteral("/home/b/quorvel"), {});
        QVERIFY(writeStartUpOption(store, 1, first).ok);
        QVERIFY(writeStartUpOption(store, 1, second).ok);
        QVERIFY(fileBytes(store.entryPath(StartUpValueName)).contains("Exec=/home/b/quorvel\n"));
        QVERIFY(writeStartUpOption(store, 0, first).ok);
        QVERIFY(!QFile::exists(store.entryPath(StartUpValueName)));
        QCOMPARE(readStartUpOption(store), 0);
        QVERIFY(writeStartUpOption(store, 0, first).ok);  // nothing left to delete
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
        AutostartStore store;
        const SaveResult result = writeStartUpOption(store, option, QStringLiteral("/q"));
        QVERIFY(!result.ok && !result.reason.isEmpty());
        QCOMPARE(fileBytes(config_->filePath(kept)), QByteArray("kept"));
        QCOMPARE(readStartUpOption(store), 0);
    }

private:
    std::optional<QTemporaryDir> config_;
};

QTEST_GUILESS_MAIN(TstStartUpRegistration)
#include "tst_startupregistration.moc"
