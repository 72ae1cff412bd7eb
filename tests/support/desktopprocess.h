#pragma once

#include <QProcess>
#include <QString>
#include <csignal>

#include "support/filebytes.h"
#include "support/scriptedserver.h"

// Helpers for tests that run the desktop program as its own process on the test's display.

#ifdef QUORVEL_PATH
// Starts the program on DATA with SETTINGS as its Quorvel.ini and SERVER as its only server.
inline void launchProgram(QProcess& program, const QString& data, const ScriptedServer& server,
                          const QByteArray& settings) {
    writeFile(data + "/Servers.ini", "127.0.0.1:" + server.portText().toLatin1());
    writeFile(data + "/Quorvel.ini", settings);
    program.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data});
    QVERIFY(program.waitForStarted());
}

// A later launch on DATA: it hands over to the running copy, says nothing and exits 0.
inline void launchAgain(const QString& data, const QProcessEnvironment& environment =
                                                 QProcessEnvironment::systemEnvironment()) {
    QProcess later;
    later.setProcessEnvironment(environment);
    later.start(QUORVEL_PATH, {"--dry-run", "--data-dir", data});
    QVERIFY(later.waitForFinished(10000));
    const QByteArray complaint = later.readAllStandardError();
    QVERIFY2(later.exitStatus() == QProcess::NormalExit && later.exitCode() == 0,
             complaint.constData());
    QCOMPARE(complaint, QByteArray());
}
#endif

inline QByteArray xOutput(const QString& tool, const QStringList& arguments) {
    QProcess query;
    query.start(tool, arguments);
    return query.waitForFinished(5000) ? query.readAllStandardOutput() : QByteArray("hangs");
}

// The value after "prefix" on a line of a tool's output.
inline QByteArray xField(const QByteArray& output, const QByteArray& prefix) {
    for (const QByteArray& line : output.split('\n'))
        if (line.trimmed().startsWith(prefix))
            return line.trimmed().mid(prefix.size()).trimmed();
    return {};
}

// The main window as the window manager keeps it: "viewable, active" once it is back from the
// tray, not minimized, and holding the keyboard; "unmapped" while hidden (or never shown);
// "minimized" is added while the window manager keeps it iconic.
inline QString mainWindowManagerState() {
    const QByteArray info = xOutput("xwininfo", {"-name", "Quorvel"});
    const QByteArray id = xField(info, "xwininfo: Window id:").split(' ').value(0);
    if (id.isEmpty())
        return "unmapped";
    const QByteArray properties =
        xOutput("xprop", {"-id", QString::fromLatin1(id), "_NET_WM_STATE", "WM_STATE"});
    const QByteArray active = xField(xOutput("xprop", {"-root", "_NET_ACTIVE_WINDOW"}),
                                     "_NET_ACTIVE_WINDOW(WINDOW): window id #");
    const bool viewable = xField(info, "Map State:") == "IsViewable";
    QStringList facts{viewable ? "viewable" : "unmapped"};
    if (properties.contains("_NET_WM_STATE_HIDDEN") || properties.contains("state: Iconic"))
        facts << "minimized";
    // A window manager may leave the last active window named after it went.
    if (viewable && active.toULongLong(nullptr, 16) == id.toULongLong(nullptr, 16))
        facts << "active";
    return facts.join(", ");
}

// Ends the program as the session would, so that its shut-down sequence runs.
inline void stopProgram(QProcess& program) {
    if (program.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(program.processId()), SIGTERM);
    if (!program.waitForFinished(10000))
        program.kill();
}
