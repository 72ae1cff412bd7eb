#include <QTemporaryDir>

#include "support/desktopprocess.h"
#include "support/scriptedserver.h"
#include "support/statusnotifierhost.h"

namespace {
// Every way back is tried this many times in a row: a restore that works only now and then is
// lost too.
constexpr int Rounds = 6;

// Runs JavaScript in GNOME Shell (the tests' extension has opened Eval); the value as JSON, a
// string's without its quotes.
QString evalInShell(const QString& script) {
    QDBusInterface shell("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell");
    const QDBusMessage reply = shell.call("Eval", script);
    const QVariantList values = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || values.size() != 2)
        return "(no answer: " + reply.errorMessage() + ")";
    QString value = values.at(1).toString();
    if (!values.at(0).toBool())
        return "(failed: " + value + ")";
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

// The program's main window as the shell sees it.
QString windowState(qint64 pid) {
    return evalInShell(QStringLiteral(R"((() => {
        const windows = global.display.sort_windows_by_stacking(global.display.list_all_windows());
        const window = windows.find(w => w.get_pid() === %1 && w.get_title() === 'Quorvel');
        if (!window)
            return 'no window';
        return [window.minimized ? 'minimized' : 'not minimized',
            window.showing_on_its_workspace() ? 'showing' : 'not showing',
            window.has_focus() ? 'focused' : 'not focused',
            windows[windows.length - 1] === window ? 'on top' : 'below'].join(', ');
    })())")
                           .arg(pid));
}

// What the title bar's minimize button does; the program is never told.
void minimizeInShell(qint64 pid) {
    evalInShell(QStringLiteral("global.display.list_all_windows().filter(w => w.get_pid() === "
                               "%1).forEach(w => w.minimize())")
                    .arg(pid));
}

// A token as the shell makes one for a click on a tray icon or for launching a program.
QString activationToken() {
    return evalInShell(QStringLiteral(R"((() => {
        const Gio = imports.gi.Gio;
        const context = global.create_app_launch_context(
            global.display.get_current_time_roundtrip(), -1);
        const program = Gio.AppInfo.create_from_commandline('quorvel', 'quorvel',
            Gio.AppInfoCreateFlags.SUPPORTS_STARTUP_NOTIFICATION);
        return context.get_startup_notify_id(program, []);
    })())"));
}

const QString Shown = QStringLiteral("not minimized, showing, focused, on top");
}  // namespace

// The desktop program on GNOME Shell over native Wayland, where no client learns that its window
// was minimized: every way back, again and again, brings the window back shown, focused and in
// front, past another window that took the focus meanwhile.
class GnomeWaylandTest : public QObject {
    Q_OBJECT
    QTemporaryDir home_;
    QTemporaryDir data_;
    QTemporaryDir otherData_;
    ScriptedServer server_;  // never answers
    QProcess program_;
    QProcess other_;  // another window, for the focus to go to
    QString waylandLog_ = home_.filePath(QStringLiteral("wayland.log"));
    std::unique_ptr<QDBusInterface> item_;

    void restore(const QString& way, const QString& token) {
        if (way == "second launch") {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (!token.isEmpty())
                environment.insert(QStringLiteral("XDG_ACTIVATION_TOKEN"), token);
            return launchAgain(data_.path(), environment);
        }
        // As the AppIndicator extension does before it passes a click on.
        if (!token.isEmpty())
            QCOMPARE(item_->call(QStringLiteral("ProvideXdgActivationToken"), token).type(),
                     QDBusMessage::ReplyMessage);
        if (way == "Activate") {
            QCOMPARE(item_->call(way, 0, 0).type(), QDBusMessage::ReplyMessage);
            return;
        }
        // The program cannot know that its window was minimized, so its menu offers to hide it;
        // hidden, the window comes back by "Show Quorvel".
        clickMenuEntry(*item_, QStringLiteral("Hide Quorvel"));
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(windowState(program_.processId()), QStringLiteral("no window"),
                                  5000);
        clickMenuEntry(*item_, way);
    }

private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", home_.filePath("config").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
        launchProgram(other_, otherData_.path(), server_, "MinimizeOnLoad=0\r\n");
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(windowState(other_.processId()), Shown, 10000);
        // The protocol log shows which activation token reached the compositor.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("1"));
        program_.setProcessEnvironment(environment);
        program_.setStandardErrorFile(waylandLog_);
        launchProgram(program_, data_.path(), server_, "MinimizeOnLoad=0\r\n");
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(windowState(program_.processId()), Shown, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(item_ = statusNotifierItemOf(program_.processId()), 10000);
    }
    void cleanupTestCase() {
        stopProgram(program_);
        stopProgram(other_);
    }

    void restoresEveryTime_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("withToken");
        for (const char* way : {"Activate", "Show Quorvel", "second launch"})
            for (const bool withToken : {false, true})
                QTest::addRow("%s%s", way, withToken ? ", with a token" : "")
                    << QString::fromLatin1(way) << withToken;
    }
    void restoresEveryTime() {
        QFETCH(QString, way);
        QFETCH(bool, withToken);
        const qint64 pid = program_.processId();
        for (int round = 1; round <= Rounds; ++round) {
            minimizeInShell(pid);
            QTRY_COMPARE_WITH_TIMEOUT(windowState(pid),
                                      QStringLiteral("minimized, not showing, not focused, below"),
                                      5000);
            const QString token = withToken ? activationToken() : QString();
            restore(way, token);
            if (QTest::currentTestFailed())
                return;
            QTRY_COMPARE_WITH_TIMEOUT(windowState(pid), Shown, 5000);
            if (withToken)
                QTRY_VERIFY_WITH_TIMEOUT(
                    readFile(waylandLog_).contains("activate(\"" + token.toLatin1() + "\""), 5000);
        }
    }
};

QTEST_GUILESS_MAIN(GnomeWaylandTest)
#include "tst_gnomewayland.moc"
