#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "support/desktopprocess.h"
#include "support/scriptedserver.h"
#include "support/statusnotifierhost.h"

namespace {
// The tray host comes and goes this many times in a row.
constexpr int Rounds = 3;

// The program's window as sway shows it: "visible", "not visible", or "no window" while unmapped.
QString windowInSway(const QJsonObject& node) {
    if (node.value("name").toString() == "Quorvel")
        return node.value("visible").toBool() ? QStringLiteral("visible")
                                              : QStringLiteral("not visible");
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue child : node.value(children).toArray())
            if (QString found = windowInSway(child.toObject()); found != "no window")
                return found;
    return QStringLiteral("no window");
}

QString windowInSway() {
    QProcess query;
    query.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (!query.waitForFinished(5000))
        return QStringLiteral("swaymsg hangs");
    return windowInSway(QJsonDocument::fromJson(query.readAllStandardOutput()).object());
}
}  // namespace

// The desktop program under sway with waybar's tray (a StatusNotifier host that brings its own
// watcher): a bar started after the program still gets the icon and its menu, and a bar that
// dies while the window is hidden leaves the window shown, never the program with neither.
class SwayTrayTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    QTemporaryDir data_;
    ScriptedServer server_;  // never answers
    QProcess program_;
    QProcess waybar_;
    std::unique_ptr<QDBusInterface> item_;

    void startBar() {
        waybar_.start(QStringLiteral("waybar"),
                      {QStringLiteral("-c"), qEnvironmentVariable("WAYBAR_CONFIG")});
        QVERIFY(waybar_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(statusNotifierHostRegistered(), 10000);
    }

    void killBar() {
        if (waybar_.state() == QProcess::NotRunning)
            return;
        waybar_.kill();
        QVERIFY(waybar_.waitForFinished(5000));
    }

    // The icon is in the bar: the program's item is registered with the bar's watcher, and has
    // its menu.
    void verifyIconInBar(const QString& showOrHide) {
        QTRY_COMPARE_WITH_TIMEOUT(registeredStatusNotifierItems().size(), 1, 10000);
        item_ = statusNotifierItemOf(program_.processId());
        QVERIFY(item_);
        QCOMPARE(menuLabels(*item_), QStringList({"Update Clock", showOrHide, "Quit"}));
    }

private Q_SLOTS:
    void initTestCase() {
        waybar_.setProcessChannelMode(QProcess::ForwardedChannels);
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
    }
    void cleanup() {
        stopProgram(program_);
        killBar();
    }

    void barThatComesLateAndDies() {
        launchProgram(program_, data_.path(), server_, "MinimizeOnLoad=0\r\n");
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(windowInSway(), QStringLiteral("visible"), 10000);
        for (int round = 1; round <= Rounds && !QTest::currentTestFailed(); ++round) {
            startBar();
            verifyIconInBar(QStringLiteral("Hide Quorvel"));
            if (QTest::currentTestFailed())
                return;
            clickMenuEntry(*item_, QStringLiteral("Hide Quorvel"));
            QTRY_COMPARE_WITH_TIMEOUT(windowInSway(), QStringLiteral("no window"), 5000);
            verifyIconInBar(QStringLiteral("Show Quorvel"));
            killBar();
            QTRY_COMPARE_WITH_TIMEOUT(windowInSway(), QStringLiteral("visible"), 5000);
        }
    }
};

QTEST_GUILESS_MAIN(SwayTrayTest)
#include "tst_swaytray.moc"
