#include <QTest>

#include "serverlist/serverlist.h"

using Entries = QList<ServerEntry>;

const Entries ThreeServers{{"first", "1"}, {" second ", " 2 "}, {"third", "3"}};

class ServerListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selectionSetsFieldsAndMoveButtons_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("moveUp");
        QTest::addColumn<bool>("moveDown");
        const auto row = [](const char* name, int index, const QString& ip, const QString& port,
                            bool moveUp, bool moveDown) {
            QTest::newRow(name) << index << ip << port << moveUp << moveDown;
        };
        row("first", 0, "first", "1", false, true);
        row("middle, trimmed", 1, "second", "2", true, true);
        row("last", 2, "third", "3", true, false);
        row("out of range keeps fields", 3, "typed", "7", false, false);
    }
    void selectionSetsFieldsAndMoveButtons() {
        QFETCH(int, index);
        ServerList list;
        list.load(ThreeServers);
        QCOMPARE(list.selectedIndex(), 0);  // loading selects the first row
        list.setAddress("typed", "7");
        list.select(index);
        QCOMPARE(list.selectedIndex(), index < ThreeServers.size() ? index : -1);
        QTEST(list.addressHost(), "ip");
        QTEST(list.addressPort(), "port");
        QTEST(list.canMoveUp(), "moveUp");
        QTEST(list.canMoveDown(), "moveDown");
    }

    void removingSelectedLastRowSelectsNothing() {
        ServerList list;
        list.load(ThreeServers);
        list.select(2);
        list.remove(2);
        QCOMPARE(list.selectedIndex(), -1);
    }

    void holdsAtMostMaxRows() {
        ServerList list;
        list.load(Entries(ServerList::MaxRows + 1, {"h", "1"}));
        QCOMPARE(list.count(), ServerList::MaxRows);
        QVERIFY(!list.insert(0, {"more", "1"}));
    }

    void rowKeepsLongTextsWhole() {
        ServerList list;
        list.load({{QString(41, u'h'), "123456"}, {"localhost", "1610"}});
        QCOMPARE(list.row(0), QString(41, u'h') + "123456");
        QCOMPARE(list.row(1), "localhost" + QString(31, u' ') + "1610 ");
    }
};

QTEST_GUILESS_MAIN(ServerListTest)
#include "tst_serverlist.moc"
