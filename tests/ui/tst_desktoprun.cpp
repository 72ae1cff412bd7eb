#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include "support/desktopprocess.h"
#include "support/scriptedserver.h"

namespace {
const QString Watcher = QStringLiteral("org.kde.StatusNotifierWatcher");

QVariant watcherProperty(const char* name) {
    return QDBusInterface(Watcher, QStringLiteral("/StatusNotifierWatcher"), Watcher)
        .property(name);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The id of every labelled entry of an exported menu layout, (ia{sv}av) nested.
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

// The desktop program run as a user runs it, in the status tray of xfce4-panel (a StatusNotifier
// host), driven over the session bus as that host drives it.
class DesktopRunTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;  // the start-up entry and the runtime folder, kept out of the user's
    QTemporaryDir data_;
    QString ini_ = data_.filePath(QStringLiteral("Quorvel.ini"));
    ScriptedServer server_;  // never answers
    QProcess program_;
    std::unique_ptr<QDBusInterface> item_;

    // Starts a copy whose window stays hidden, and finds its item as a host does, by the watcher.
    void launchHidden() {
        writeFile(data_.filePath("Servers.ini"), "127.0.0.1:" + server_.portText().toLatin1());
        writeFile(ini_, "MinimizeOnLoad=1\r\n");
        program_.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data_.path()});
        QStringList items;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(items = watcherProperty("RegisteredStatusNotifierItems").toStringList()).isEmpty(),
            10000);
        QCOMPARE(items.size(), 1);
        const qsizetype slash = items.first().indexOf(u'/');  // "SERVICE" or "SERVICE/PATH"
        item_ = std::make_unique<QDBusInterface>(
            items.first().left(slash),
            slash < 0 ? QStringLiteral("/StatusNotifierItem") : items.first().mid(slash),
            QStringLiteral("org.kde.StatusNotifierItem"));
        QCOMPARE(mainWindowMapState(), QStringLiteral("IsUnMapped"));
    }

    void clickMenuEntry(const QString& label) {
        const auto menuPath = qvariant_cast<QDBusObjectPath>(item_->property("Menu"));
        QDBusInterface menu(item_->service(), menuPath.path(),
                            QStringLiteral("com.canonical.dbusmenu"));
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

private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
        QTRY_VERIFY_WITH_TIMEOUT(watcherProperty("IsStatusNotifierHostRegistered").toBool(), 15000);
    }
    void init() { server_.connections = 0; }
    void cleanup() { stopProgram(program_); }

    void hostRequestIsCarriedOut_data() {
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Activate") << QStringLiteral("restored");
        QTest::newRow("Show Quorvel") << QStringLiteral("restored");
        QTest::newRow("Update Clock") << QStringLiteral("updating");
        QTest::newRow("Quit") << QStringLiteral("ended");
    }
    void hostRequestIsCarriedOut() {
        const QString request = QString::fromLatin1(QTest::currentDataTag());
        QFETCH(QString, outcome);
        launchHidden();
        if (request == "Activate")  // what a host does on a click of the icon
            QCOMPARE(item_->call(request, 0, 0).type(), QDBusMessage::ReplyMessage);
        else
            clickMenuEntry(request);
        if (outcome == "ended") {
            QVERIFY(program_.waitForFinished(10000));
            QVERIFY(program_.exitStatus() == QProcess::NormalExit && program_.exitCode() == 0);
            QVERIFY(readFile(ini_).contains("Attempts=10\r\n"));  // written by the shut-down
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(
            mainWindowMapState(),
            outcome == "restored" ? QStringLiteral("IsViewable") : QStringLiteral("IsUnMapped"),
            5000);
        QTRY_COMPARE_WITH_TIMEOUT(server_.connections, outcome == "restored" ? 0 : 1, 5000);
    }

    // One copy per data folder: a later launch, however it spells the folder, shows the running
    // copy's window, writes nothing and exits 0; the lock a crashed copy left is taken over.
    void oneCopyPerDataFolder() {
        launchHidden();
        program_.kill();
        QVERIFY(program_.waitForFinished(10000) && QFile::exists(data_.filePath("Quorvel.lock")));
        QTRY_VERIFY_WITH_TIMEOUT(
            watcherProperty("RegisteredStatusNotifierItems").toStringList().isEmpty(), 5000);
        launchHidden();
        QProcess later;
        later.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data_.path() + "/"});
        QVERIFY(later.waitForFinished(10000));
        QVERIFY(later.exitStatus() == QProcess::NormalExit && later.exitCode() == 0);
        QCOMPARE(later.readAllStandardError(), QByteArray());
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowMapState(), QStringLiteral("IsViewable"), 5000);
        QCOMPARE(readFile(ini_), QByteArray("MinimizeOnLoad=1\r\n"));
        QVERIFY(program_.state() == QProcess::Running);
        // An ending signal still runs the shut-down, which frees the folder.
        stopProgram(program_);
        QCOMPARE(program_.exitCode(), 0);
        QVERIFY(readFile(ini_).contains("Attempts=10\r\n"));
        QVERIFY(!QFile::exists(data_.filePath("Quorvel.lock")));
    }
};

QTEST_MAIN(DesktopRunTest)
#include "tst_desktoprun.moc"
