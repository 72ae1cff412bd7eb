#include <sys/fsuid.h>
#include <sys/stat.h>
#include <QTemporaryDir>
#include <QTest>

#include "config/serverlistfile.h"
#include "log/activitylog.h"
#include "serverlist/servereditor.h"
#include "serverlist/serverlist.h"
#include "support/fakeclock.h"
#include "support/filebytes.h"

using Edit = void (ServerEditor::*)();

struct EditorFixture {
    QTemporaryDir folder;
    FakeClock clock;
    ActivityLog log{clock, ActivityLog::DefaultKeptLines, QLocale::c()};
    ServerList servers;
    QString path = serverListFilePath(folder.path());
    ServerEditor editor{servers, log, path};

    EditorFixture() { servers.load({{"first", "1"}, {"second", "2"}, {"third", "3"}}); }
};

class ServerEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editKeepsListAndFileInStep_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("lines");  // the file's lines, blank-separated
        QTest::addColumn<int>("selectedAfter");
        // Add checks the port, modify does not; remove selects the row that followed, or the last.
        QTest::newRow("add") << &ServerEditor::add << 0 << "first:1 second:2 third:3 new:1610" << 3;
        QTest::newRow("modify") << &ServerEditor::modify << 1 << "first:1 new:32768 third:3" << 1;
        QTest::newRow("remove") << &ServerEditor::removeSelected << 0 << "second:2 third:3" << 0;
        QTest::newRow("remove 2") << &ServerEditor::removeSelected << 2 << "first:1 second:2" << 1;
        QTest::newRow("up") << &ServerEditor::moveUp << 1 << "second:2 first:1 third:3" << 0;
        QTest::newRow("down") << &ServerEditor::moveDown << 1 << "first:1 third:3 second:2" << 2;
    }
    void editKeepsListAndFileInStep() {
        QFETCH(Edit, edit);
        QFETCH(int, selected);
        QFETCH(QString, lines);
        EditorFixture f;
        f.servers.select(selected);
        f.servers.setAddress("new", "32768");
        (f.editor.*edit)();
        QCOMPARE(readFile(f.path), (lines.replace(u' ', "\r\n") + "\r\n").toLatin1());
        QCOMPARE(loadServerList(f.path), f.servers.entries());
        QTEST(f.servers.selectedIndex(), "selectedAfter");
    }

    // A file read as Latin-1 that is given a name Latin-1 cannot hold is written in UTF-8, and
    // stays UTF-8 once that name is gone.
    void nameBeyondLatin1IsSavedAsUtf8() {
        EditorFixture f;
        QVERIFY(saveFileAtomically(f.path, "caf\xe9:1\r\n").ok);
        f.servers.load(loadServerList(f.path));
        f.servers.setAddress("\u0101.example", "2");
        f.editor.add();
        QCOMPARE(readFile(f.path), QByteArray("caf\xc3\xa9:1\r\n\xc4\x81.example:2\r\n"));
        f.editor.removeSelected();
        QCOMPARE(readFile(f.path), QByteArray("caf\xc3\xa9:1\r\n"));
        QCOMPARE(f.log.text(), QString());
    }

    // The file writable, its folder not: the edit stays in memory, the file whole, one log line.
    void saveIntoReadOnlyFolderFails() {
        EditorFixture f;
        QVERIFY(saveServerList(f.path, f.servers.entries()).ok);
        QCOMPARE(chmod(qPrintable(f.path), 0666) + chmod(qPrintable(f.folder.path()), 0555), 0);
        const int fsuid = setfsuid(65534);  // root writes anywhere: try as nobody
        f.editor.removeSelected();
        setfsuid(fsuid);
        chmod(qPrintable(f.folder.path()), 0755);
        QCOMPARE(f.servers.count(), 2);
        QCOMPARE(readFile(f.path), QByteArray("first:1\r\nsecond:2\r\nthird:3\r\n"));
        QCOMPARE(f.log.text(),
                 "[12:00:00]  File " + f.path + " could not be saved - Permission denied.\r\n");
    }
};

QTEST_GUILESS_MAIN(ServerEditorTest)
#include "tst_servereditor.moc"
