#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include "support/desktopprocess.h"
#include "support/scriptedserver.h"

// The desktop program, hidden in the tray of a real StatusNotifier host (xfce4-panel's status
// tray), driven over the session bus the way such a host drives it.
class TrayStatusNotifierTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void hostRequestIsCarriedOut_data();
    void hostRequestIsCarriedOut();
    void quitRunsTheShutDown();

private:
    void launchHidden(QProcess& program, const QTemporaryDir& data, const ScriptedServer& server);
    void callItem(const QString& method);
    void clickMenuEntry(const QString& label);

    QTemporaryDir home_;
    QString itemService_;
    QString itemPath_;
};

namespace {
const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString ItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString MenuInterface = QStringLiteral("com.canonical.dbusmenu");

QVariant watcherProperty(const char* name) {
    QDBusInterface watcher(Watcher, QStringLiteral("/StatusNotifierWatcher"), Watcher);
    return watcher.property(name);
}

// The label and id of every entry of an exported menu layout, (ia{sv}av) nested.
void collectEntries(const QDBusArgument& layout, QMap<QString, int>& ids) {
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        collectEntries(qvariant_cast<QDBusArgument>(child.variant()), ids);
    }
    layout.endArray();
    layout.endStructure();
    if (properties.contains(QStringLiteral("label")))
        ids.insert(properties.value(QStringLiteral("label")).toString(), id);
}
}  // namespace

void TrayStatusNotifierTest::initTestCase() {
    QVERIFY(home_.isValid());
    qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
    QTRY_VERIFY_WITH_TIMEOUT(watcherProperty("IsStatusNotifierHostRegistered").toBool(), 15000);
}

// Starts a copy whose window stays hidden, and finds its item as a host does, by the watcher.
void TrayStatusNotifierTest::launchHidden(QProcess& program, const QTemporaryDir& data,
                                          const ScriptedServer& server) {
    writeFile(data.filePath("Servers.ini"), "127.0.0.1:" + server.portText().toLatin1() + "\r\n");
    writeFile(data.filePath("Quorvel.ini"), "MinimizeOnLoad=1\r\n");
    program.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data.path()});
    QStringList items;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(items = watcherProperty("RegisteredStatusNotifierItems").toStringList()).isEmpty(),
        10000);
    QCOMPARE(items.size(), 1);
    // Hosts name an item "SERVICE" or "SERVICE/PATH".
    const qsizetype slash = items.first().indexOf(u'/');
    itemService_ = slash < 0 ? items.first() : items.first().left(slash);
    itemPath_ = slash < 0 ? QStringLiteral("/StatusNotifierItem") : items.first().mid(slash);
    QCOMPARE(mainWindowMapState(), QStringLiteral("IsUnMapped"));
}

void TrayStatusNotifierTest::callItem(const QString& method) {
    QDBusInterface item(itemService_, itemPath_, ItemInterface);
    const QDBusMessage answer = item.call(method, 0, 0);
    QVERIFY2(answer.type() == QDBusMessage::ReplyMessage, qPrintable(answer.errorMessage()));
}

void TrayStatusNotifierTest::clickMenuEntry(const QString& label) {
    QDBusInterface item(itemService_, itemPath_, ItemInterface);
    const auto menuPath = qvariant_cast<QDBusObjectPath>(item.property("Menu"));
    QDBusInterface menu(itemService_, menuPath.path(), MenuInterface);
    const QDBusMessage layout = menu.call(QStringLiteral("GetLayout"), 0, -1, QStringList());
    QCOMPARE(layout.type(), QDBusMessage::ReplyMessage);
    QMap<QString, int> ids;
    collectEntries(qvariant_cast<QDBusArgument>(layout.arguments().value(1)), ids);
    QCOMPARE(ids.keys(), (QStringList{"Quit", "Show Quorvel", "Update Clock"}));
    const QDBusMessage clicked =
        menu.call(QStringLiteral("Event"), ids.value(label), QStringLiteral("clicked"),
                  QVariant::fromValue(QDBusVariant(0)), 0u);
    QVERIFY2(clicked.type() == QDBusMessage::ReplyMessage, qPrintable(clicked.errorMessage()));
}

// What a host does, and what it must come to: the window restored, or an update begun.
void TrayStatusNotifierTest::hostRequestIsCarriedOut_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("restores");
    QTest::newRow("activating the icon") << "Activate" << true;
    QTest::newRow("Show Quorvel") << "Show Quorvel" << true;
    QTest::newRow("Update Clock") << "Update Clock" << false;
    QTest::newRow("a menu request without a menu") << "ContextMenu" << false;
}

void TrayStatusNotifierTest::hostRequestIsCarriedOut() {
    QFETCH(QString, how);
    QFETCH(bool, restores);
    QTemporaryDir data;
    ScriptedServer server;
    QProcess program;
    launchHidden(program, data, server);
    if (how == "Activate" || how == "ContextMenu")
        callItem(how);
    else
        clickMenuEntry(how);
    if (restores) {
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowMapState(), QStringLiteral("IsViewable"), 5000);
        QCOMPARE(server.connections, 0);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(server.queries.size(), 1, 5000);
        QCOMPARE(mainWindowMapState(), QStringLiteral("IsUnMapped"));
    }
    stopProgram(program);
}

void TrayStatusNotifierTest::quitRunsTheShutDown() {
    QTemporaryDir data;
    ScriptedServer server;
    QProcess program;
    launchHidden(program, data, server);
    clickMenuEntry(QStringLiteral("Quit"));
    QVERIFY(program.waitForFinished(10000));
    QVERIFY2(program.exitStatus() == QProcess::NormalExit,
             program.readAllStandardError().right(4000));
    QCOMPARE(program.exitCode(), 0);
    QFile settings(data.filePath("Quorvel.ini"));
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(settings.readAll().contains("Attempts=10\r\n"));  // written by the shut-down
}

QTEST_MAIN(TrayStatusNotifierTest)
#include "tst_traystatusnotifier.moc"
