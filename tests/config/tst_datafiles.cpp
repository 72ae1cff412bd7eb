#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "config/autostartentry.h"
#include "config/serverlistfile.h"
#include "config/settingsfile.h"
#include "support/filebytes.h"

const QByteArray DefaultSettings =
    "MinimizeOnLoad=0\r\nUpdateOnLoad=0\r\nCloseAfterUpdate=0\r\nSchedule=1\r\nUpdateEvery=6\r\n"
    "Timeout=6000\r\nMaxPing=1000\r\nForgetPing=6000\r\nAttempts=10\r\nLoop=0\r\n"
    "DaylightSavings=0\r\n";

static QByteArray changedSettings(const QByteArray& updateEvery) {
    return "MinimizeOnLoad=2\r\nUpdateOnLoad=1\r\nCloseAfterUpdate=1\r\nSchedule=0\r\n"
           "UpdateEvery=" +
           updateEvery +
           "\r\nTimeout=995\r\nMaxPing=0\r\nForgetPing=-20\r\nAttempts=99\r\nLoop=1\r\n"
           "DaylightSavings=2\r\n";
}

// The files the program keeps, as real files in a fresh folder.
class DataFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serverList_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<ServerEntries>("expected");
        QTest::addColumn<QByteArray>("saved");
        const auto row = [](const char* name, const QByteArray& file, const ServerEntries& expected,
                            const QByteArray& saved) {
            QTest::newRow(name) << file << expected << (saved.isNull() ? file : saved);
        };
        row("first colon splits, commas separate, trimmed, default port", "  a  :  b:c  ,d:,e",
            {{"a", "b:c"}, {"d", ""}, {"e", "1610"}}, "a:b:c\r\nd:\r\ne:1610\r\n");
        row("quoted comma, text after the closing quote ignored", "\"x,y:5\"z,b",
            {{"x,y", "5"}, {"b", "1610"}}, "x,y:5\r\nb:1610\r\n");
        row("unclosed quote ends at the line, blank line, lone CR and LF", "\"a,b:1\r\n\r\nc\rd\n",
            {{"a,b", "1"}, {"", "1610"}, {"c", "1610"}, {"d", "1610"}},
            "a,b:1\r\n:1610\r\nc:1610\r\nd:1610\r\n");
        row("UTF-8", "\xc3\xa4.example:123456\r\n:1610\r\nh:\r\n",
            {{"\u00e4.example", "123456"}, {"", "1610"}, {"h", ""}}, {});
        row("one byte not UTF-8 in a later line makes it Latin-1", "\xc3\xa4:1\r\n\xff:2\r\n",
            {{"\u00c3\u00a4", "1"}, {"\u00ff", "2"}}, {});
        QByteArray longLine;
        ServerEntries sixty;
        QByteArray sixtyLines;
        for (int n = 1; n <= 60; ++n) {
            const QByteArray entry = "host" + QByteArray::number(n) + ".example:1610";
            longLine += (n > 1 ? "," : "") + entry;
            sixty.append({QString::fromLatin1(entry.chopped(5)), "1610"});
            sixtyLines += entry + "\r\n";
        }
        row("every entry of a long line is read", longLine, sixty, sixtyLines);
        const QByteArray longHost(1030, 'x'), longPort(1100, '9');
        row("a host or port beyond 1,024 bytes keeps its first 1,024, the line goes on",
            longHost + ':' + longPort + ",b\r\n\"" + longHost + '"' + longPort + ",c",
            {{longHost.left(1024), longPort.left(1024)},
             {"b", "1610"},
             {longHost.left(1024), "1610"},
             {"c", "1610"}},
            longHost.left(1024) + ':' + longPort.left(1024) + "\r\nb:1610\r\n" +
                longHost.left(1024) + ":1610\r\nc:1610\r\n");
        row("at most 32,767 entries are read", QByteArray("\r\n").repeated(MaxServerEntries + 1),
            ServerEntries(MaxServerEntries, {"", "1610"}),
            QByteArray(":1610\r\n").repeated(MaxServerEntries));
    }
    void serverList() {
        QFETCH(QByteArray, file);
        const QString path = serverListFilePath(dir_.path());
        QVERIFY(saveFileAtomically(path, file).ok);
        const ServerEntries loaded = loadServerList(path);
        QTEST(loaded, "expected");
        QVERIFY(saveServerList(path, loaded).ok);
        QTEST(readFile(path), "saved");
    }

    // A missing file gives the defaults; every value read is written back in its place.
    void settings_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Settings>("expected");
        Settings changed;
        changed.minimizeOnLaunch = 2, changed.updateOnLaunch = 1, changed.closeAfterUpdate = 1;
        changed.scheduled = 0, changed.updatePeriodText = "12\u00e9", changed.loopList = 1;
        changed.connectWaitText = "995", changed.maxReplyDelayText = "0";
        changed.replyWaitText = "-20", changed.attemptsText = "99", changed.daylightSaving = 2;
        QTest::newRow("missing file") << QByteArray() << Settings();
        QTest::newRow("UTF-8") << changedSettings("12\xc3\xa9") << changed;
        QTest::newRow("Latin-1") << changedSettings("12\xe9") << changed;
    }
    void settings() {
        QFETCH(QByteArray, file);
        const QString path = settingsFilePath(dir_.filePath(QTest::currentDataTag()));
        if (!file.isNull())
            QVERIFY(saveFileAtomically(path, file).ok);
        Settings loaded;
        loadSettings(path, loaded);
        QTEST(loaded, "expected");
        QVERIFY(saveSettings(path, loaded).ok);
        QCOMPARE(readFile(path), file.isNull() ? DefaultSettings : file);
    }

    // Neither read (which would block or never end) nor replaced by a save.
    void fileThatIsNotRegularIsLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"FIFO", "link to a zero device", "folder"})
            QTest::newRow(kind) << QString(kind);
    }
    void fileThatIsNotRegularIsLeftAlone() {
        QFETCH(QString, kind);
        const QTemporaryDir folder;
        const QString path = serverListFilePath(folder.path());
        if (kind == "FIFO")
            QCOMPARE(mkfifo(qPrintable(path), 0644), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (mknod(qPrintable(folder.filePath("zero")), S_IFCHR | 0666, makedev(1, 5)) == 0)
            QVERIFY(QFile::link(folder.filePath("zero"), path));  // a save gone wrong hits a copy
        else
            QSKIP("making a device needs root");
        FileOpening opening = FileOpening::Opened;
        QCOMPARE(loadServerList(path, &opening), ServerEntries());
        QCOMPARE(opening, FileOpening::NotRegular);
        const SaveResult saved = saveServerList(path, {{"a", "1"}});
        QVERIFY(!saved.ok);
        QCOMPARE(saveFailureLine(path, saved.reason),
                 "File " + path + " could not be saved - it is not a regular file.");
        struct stat left {};
        QCOMPARE(lstat(qPrintable(path), &left), 0);
        QCOMPARE(left.st_mode & S_IFMT, kind == "FIFO"     ? S_IFIFO
                                        : kind == "folder" ? S_IFDIR
                                                           : S_IFLNK);
    }

    // Exec= quoted as the Desktop Entry rules require, so a launcher runs the path as it is.
    void autostartEntry() {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
        const AutostartEntry autostart;
        QCOMPARE(autostart.path(), dir_.filePath("autostart/vostrand-quorvel.desktop"));
        QVERIFY(autostart.write(launchCommand(R"(/opt/100% $ure\q)", "/home/ann/my data")).ok);
        QCOMPARE(readFile(autostart.path()),
                 "[Desktop Entry]\nType=Application\nName=Vostrand - Quorvel\n"
                 R"(Exec="/opt/100%% \\$ure\\\\q" --data-dir "/home/ann/my data")"
                 "\n");
        QVERIFY(autostart.isEnabled());
        QVERIFY(autostart.remove().ok);
        QVERIFY(!autostart.isEnabled());
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(DataFilesTest)
#include "tst_datafiles.moc"
