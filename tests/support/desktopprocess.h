#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QTest>
#include <csignal>

// Helpers for tests that run the desktop program as its own process on the test's display.

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

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

// What the X server says of the main window: "IsViewable" once shown.
inline QString mainWindowMapState() {
    const QByteArray state = xField(
        xOutput(QStringLiteral("xwininfo"), {QStringLiteral("-name"), QStringLiteral("Quorvel")}),
        "Map State:");
    return state.isEmpty() ? QStringLiteral("no window") : QString::fromLatin1(state);
}

// The main window as the window manager keeps it: "viewable, active" once it is back from the
// tray, not minimized, and holding the keyboard; "unmapped" while hidden (or never shown);
// "minimized" is added while the window manager keeps it iconic.
inline QString mainWindowManagerState() {
    const QByteArray info =
        xOutput(QStringLiteral("xwininfo"), {QStringLiteral("-name"), QStringLiteral("Quorvel")});
    const QByteArray id = xField(info, "xwininfo: Window id:").split(' ').value(0);
    if (id.isEmpty())
        return QStringLiteral("unmapped");
    const QByteArray properties = xOutput(
        QStringLiteral("xprop"), {QStringLiteral("-id"), QString::fromLatin1(id),
                                  QStringLiteral("_NET_WM_STATE"), QStringLiteral("WM_STATE")});
    const QByteArray active =
        xField(xOutput(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")}),
               "_NET_ACTIVE_WINDOW(WINDOW): window id #");
    const bool viewable = xField(info, "Map State:") == "IsViewable";
    QStringList facts{viewable ? QStringLiteral("viewable") : QStringLiteral("unmapped")};
    if (properties.contains("_NET_WM_STATE_HIDDEN") || properties.contains("state: Iconic"))
        facts << QStringLiteral("minimized");
    // A window manager may leave the last active window named after it went.
    if (viewable && active.toULongLong(nullptr, 16) == id.toULongLong(nullptr, 16))
        facts << QStringLiteral("active");
    return facts.join(QStringLiteral(", "));
}

// Ends the program as the session would, so that its shut-down sequence runs.
inline void stopProgram(QProcess& program) {
    if (program.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(program.processId()), SIGTERM);
    if (!program.waitForFinished(10000))
        program.kill();
}
