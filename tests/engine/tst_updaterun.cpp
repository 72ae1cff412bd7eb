#include <QSignalSpy>
#include <QTest>

#include "enginefixture.h"

namespace {
const ServerEntry FailsAtOnce{QStringLiteral("127.0.0.1"), QStringLiteral("0")};
}

class UpdateRunTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clickBeginsRunAndConnects();
    void stopCancelsWithoutTryingAnotherServer();
    void triggerDuringRunOnlyLogs();
    void failingRowsAreWalkedInOrder_data();
    void failingRowsAreWalkedInOrder();
    void loopWrapsFromLaterTickAtMostOncePerSecond();
    void wrapLimitEndsTheWalk();
    void editedAddressClearsSelection();
    void emptyListWithLoopEnds();
    void longListOfFailingRowsDoesNotRecurse();
    void lostConnectionMovesOnAtOnce();
    void everyRunMovesNextScheduledUpdate();
};

void UpdateRunTest::clickBeginsRunAndConnects() {
    EngineFixture f;
    ScriptedServer server;
    f.useServers({{QStringLiteral("127.0.0.1"), server.portText()}});
    f.engine.requestUpdate();

    QCOMPARE(f.engine.updateEnabled(), false);
    QCOMPARE(f.engine.disconnectEnabled(), true);
    QCOMPARE(f.tray.tooltip(), QStringLiteral("Quorvel - Updating"));
    QCOMPARE(f.tray.picture, TrayView::Picture::Updating);
    QCOMPARE(f.engine.runState(), UpdateEngine::RunState::Connecting);
    QCOMPARE(f.messages(),
             QStringList({QStringLiteral("Update Clock button clicked:"),
                          "Attempted to connect to 127.0.0.1:" + server.portText() + ":"}));

    f.clock.advance(230);
    QTRY_COMPARE(server.queries, QList<QByteArray>({"1"}));
    QCOMPARE(f.messages().mid(2),
             QStringList({QStringLiteral("Connection established after 230 milliseconds."),
                          QStringLiteral("Queried server for time - attempt 1:")}));
    QCOMPARE(f.engine.runState(), UpdateEngine::RunState::AwaitingReply);
}

void UpdateRunTest::stopCancelsWithoutTryingAnotherServer() {
    EngineFixture f;
    ScriptedServer server;
    f.useServers({{QStringLiteral("127.0.0.1"), server.portText()}, FailsAtOnce});
    f.engine.requestUpdate();
    f.engine.cancelUpdate();

    QCOMPARE(f.lastMessage(), QStringLiteral("Update cancelled by user."));
    QCOMPARE(f.tray.tooltip(), QStringLiteral("Quorvel - Update cancelled by user at 12:00:00"));
    QCOMPARE(f.tray.picture, TrayView::Picture::Idle);
    QVERIFY(f.engine.updateEnabled());
    QVERIFY(!f.engine.disconnectEnabled());
    QCOMPARE(f.servers.selectedIndex(), 0);
    QVERIFY(f.engine.isIdle());
}

void UpdateRunTest::triggerDuringRunOnlyLogs() {
    EngineFixture f;
    ScriptedServer server;
    f.useServers({{QStringLiteral("127.0.0.1"), server.portText()}});
    f.engine.requestUpdate();
    const int before = f.messages().size();
    f.engine.requestUpdateFromList();
    QCOMPARE(f.messages().mid(before),
             QStringList({QStringLiteral("Server list double-clicked:")}));
}

void UpdateRunTest::failingRowsAreWalkedInOrder_data() {
    QTest::addColumn<int>("loop");
    QTest::addColumn<bool>("wrapPending");
    QTest::newRow("loop off: ends on the first row") << 0 << false;
    QTest::newRow("loop on: begins again from the top") << 1 << true;
    QTest::newRow("greyed loop counts as off") << 2 << false;
}

void UpdateRunTest::failingRowsAreWalkedInOrder() {
    QFETCH(int, loop);
    QFETCH(bool, wrapPending);
    EngineFixture f;
    f.settings.loopList = loop;
    f.useServers({{QStringLiteral("a"), QStringLiteral("0")},
                  {QStringLiteral("b"), QStringLiteral("70000")},
                  {QString(), QStringLiteral("1610")}});
    f.engine.requestUpdate();

    QCOMPARE(f.messages(), QStringList({QStringLiteral("Update Clock button clicked:"),
                                        QStringLiteral("Attempted to connect to a:0:"),
                                        QStringLiteral("Connection failed."),
                                        QStringLiteral("Attempted to connect to b:70000:"),
                                        QStringLiteral("Connection failed."),
                                        QStringLiteral("Attempted to connect to :1610:"),
                                        QStringLiteral("Connection failed.")}));
    QCOMPARE(f.servers.selectedIndex(), 0);
    QCOMPARE(f.servers.addressHost(), QStringLiteral("a"));
    QCOMPARE(f.engine.updateEnabled(), true);
    QCOMPARE(f.engine.isIdle(), !wrapPending);
    QCOMPARE(f.tray.tooltip(), QStringLiteral("Quorvel - Connection failed at 12:00:00"));
}

void UpdateRunTest::loopWrapsFromLaterTickAtMostOncePerSecond() {
    EngineFixture f;
    f.settings.loopList = 1;
    f.useServers({FailsAtOnce, FailsAtOnce});
    f.engine.requestUpdate();
    const int firstWalk = f.messages().size();

    f.tickAfter(999);
    QCOMPARE(f.messages().size(), firstWalk);
    f.tickAfter(1);
    QCOMPARE(f.messages().size(), firstWalk + 4);
    QCOMPARE(f.messages().at(firstWalk), QStringLiteral("Attempted to connect to 127.0.0.1:0:"));
    f.engine.endUpdate(QStringLiteral("Program closed"));
    f.tickAfter(5000);
    QCOMPARE(f.lastMessage(), QStringLiteral("Program closed."));
}

void UpdateRunTest::wrapLimitEndsTheWalk() {
    EngineFixture f;
    f.settings.loopList = 1;
    f.engine.setWrapLimit(1);
    f.useServers({FailsAtOnce});
    f.engine.requestUpdate();
    f.tickAfter(1000);
    QVERIFY(f.engine.isIdle());
    QCOMPARE(f.messages().count(QStringLiteral("Connection failed.")), 2);
}

void UpdateRunTest::editedAddressClearsSelection() {
    EngineFixture f;
    f.useServers({FailsAtOnce, FailsAtOnce});
    f.servers.setAddress(QStringLiteral("127.0.0.1"), QStringLiteral("00"));
    f.engine.requestUpdate();
    QCOMPARE(f.servers.selectedIndex(), -1);
    QCOMPARE(f.messages().count(QStringLiteral("Connection failed.")), 1);
    QVERIFY(f.engine.isIdle());
}

void UpdateRunTest::emptyListWithLoopEnds() {
    EngineFixture f;
    f.settings.loopList = 1;
    f.engine.requestUpdate();
    QVERIFY(f.engine.isIdle());
    QCOMPARE(f.lastMessage(), QStringLiteral("Connection failed."));
}

void UpdateRunTest::longListOfFailingRowsDoesNotRecurse() {
    EngineFixture f;
    f.useServers(ServerEntries(20000, FailsAtOnce));
    f.engine.requestUpdate();
    QCOMPARE(f.messages().count(QStringLiteral("Connection failed.")), 20000);
    QCOMPARE(f.servers.selectedIndex(), 0);
}

void UpdateRunTest::lostConnectionMovesOnAtOnce() {
    EngineFixture f;
    ScriptedServer closing(
        [](QTcpSocket& client, const QByteArray&) { client.disconnectFromHost(); });
    ScriptedServer second;
    f.useServers({{QStringLiteral("127.0.0.1"), closing.portText()},
                  {QStringLiteral("127.0.0.1"), second.portText()}});
    f.engine.requestUpdate();
    QVERIFY(f.waitForMessage(QStringLiteral("Connection lost.")));
    QTRY_COMPARE(second.queries, QList<QByteArray>({"1"}));
    QCOMPARE(f.servers.selectedIndex(), 1);
    QCOMPARE(f.engine.runState(), UpdateEngine::RunState::AwaitingReply);
}

void UpdateRunTest::everyRunMovesNextScheduledUpdate() {
    EngineFixture f;
    f.settings.updatePeriodText = QStringLiteral("2");
    f.useServers({FailsAtOnce});
    f.clock.advance(5000);
    f.engine.requestUpdate();
    QCOMPARE(f.engine.nextUpdate(), f.clock.localNow().addSecs(2 * 3600));
}

QTEST_GUILESS_MAIN(UpdateRunTest)
#include "tst_updaterun.moc"
