#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "log/activitylog.h"
#include "serverlist/servereditor.h"
#include "serverlist/serverlist.h"
#include "support/fakeclock.h"

using Entries = ServerEntries;

const Entries ThreeServers{{"first", "1"}, {"second", "2"}, {"third", "3"}};

// An editor on a list whose file lives in a fresh folder.
struct EditorFixture {
    QTemporaryDir folder;
    FakeClock clock;
    ActivityLog log{clock, ActivityLog::DefaultKeptLines, QLocale::c()};
    ServerList servers;
    QString path = folder.filePath("Servers.ini");
    ServerEditor editor{servers, log, path};

    QByteArray file() const {
        QFile saved(path);
        return saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray("(none)");
    }
};

class ServerEditorTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addChecksThePortAndSelectsTheNewRow_data() {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<ServerEntry>("added");
        QTest::newRow("empty fields") << ""
                                      << "" << ServerEntry{"localhost", "1610"};
        QTest::newRow("blank address") << "   "
                                       << "80" << ServerEntry{"localhost", "80"};
        QTest::newRow("fraction dropped") << "h"
                                          << "80.9" << ServerEntry{"h", "80"};
        QTest::newRow("zero") << "h"
                              << "0" << ServerEntry{"h", "1610"};
        QTest::newRow("negative") << "h"
                                  << "-5" << ServerEntry{"h", "1610"};
        QTest::newRow("too high") << "h"
                                  << "32768" << ServerEntry{"h", "1610"};
        QTest::newRow("highest") << "h"
                                 << "32767" << ServerEntry{"h", "32767"};
        QTest::newRow("no number") << "h"
                                   << "abc" << ServerEntry{"h", "1610"};
    }
    void addChecksThePortAndSelectsTheNewRow() {
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(ServerEntry, added);
        EditorFixture f;
        f.servers.load({{"first", "1"}});
        f.servers.setAddress(ip, port);
        f.editor.add();
        QCOMPARE(f.servers.entries(), (Entries{{"first", "1"}, added}));
        QCOMPARE(f.servers.selectedIndex(), 1);
        QVERIFY(f.servers.canMoveUp());
        QVERIFY(!f.servers.canMoveDown());
        QCOMPARE(f.file(), "first:1\r\n" + (added.host + ':' + added.port).toLatin1() + "\r\n");
    }

    void modifyReplacesTheSelectedRowInPlace() {
        EditorFixture f;
        f.servers.load(ThreeServers);
        f.servers.select(1);
        f.servers.setAddress("new", "9");
        f.editor.modify();
        QCOMPARE(f.file(), "first:1\r\nnew:9\r\nthird:3\r\n");
        QCOMPARE(f.servers.selectedIndex(), 1);
    }

    void removeSelectsTheFollowingRow_data() {
        QTest::addColumn<Entries>("rows");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("selectedAfter");
        QTest::addColumn<QString>("ipAfter");
        QTest::newRow("first of three") << ThreeServers << 0 << 0 << "second";
        QTest::newRow("last of three") << ThreeServers << 2 << 1 << "second";
        QTest::newRow("only row") << Entries{{"only", "1"}} << 0 << -1 << "only";
        QTest::newRow("none selected") << ThreeServers << -1 << -1 << "first";
    }
    void removeSelectsTheFollowingRow() {
        QFETCH(Entries, rows);
        QFETCH(int, selected);
        EditorFixture f;
        f.servers.load(rows);
        f.servers.select(selected);
        f.editor.removeSelected();
        QCOMPARE(f.servers.count(), rows.size() - (selected >= 0 ? 1 : 0));
        QTEST(f.servers.selectedIndex(), "selectedAfter");
        QTEST(f.servers.addressHost(), "ipAfter");
        QCOMPARE(f.file().count('\n'), f.servers.count());  // saved even when nothing changed
    }

    void moveExchangesWithTheNeighbour_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("moveUp");
        QTest::addColumn<bool>("moveDown");
        QTest::newRow("second up")
            << 1 << true << QByteArray("second:2\r\nfirst:1\r\nthird:3\r\n") << false << true;
        QTest::newRow("second down")
            << 1 << false << QByteArray("first:1\r\nthird:3\r\nsecond:2\r\n") << true << false;
    }
    void moveExchangesWithTheNeighbour() {
        QFETCH(int, selected);
        QFETCH(bool, up);
        EditorFixture f;
        f.servers.load(ThreeServers);
        f.servers.select(selected);
        up ? f.editor.moveUp() : f.editor.moveDown();
        QTEST(f.file(), "file");
        QCOMPARE(f.servers.addressHost(), QStringLiteral("second"));
        QTEST(f.servers.canMoveUp(), "moveUp");
        QTEST(f.servers.canMoveDown(), "moveDown");
    }

    void aFailedSaveIsLoggedAndTheEditKept() {
        EditorFixture f;
        QFile blocker(f.folder.filePath("notafolder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
        ServerEditor editor(f.servers, f.log, f.folder.filePath("notafolder/Servers.ini"));
        f.servers.setAddress("h", "5");
        editor.add();
        QCOMPARE(f.servers.count(), 1);
        QCOMPARE(f.log.lines().size(), size_t(1));
        QVERIFY(f.log.lines().front().contains("notafolder/Servers.ini could not be saved - "));
    }
};

QTEST_MAIN(ServerEditorTest)
#include "tst_servereditor.moc"
