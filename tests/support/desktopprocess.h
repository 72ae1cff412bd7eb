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

// What the X server says of the main window: "IsViewable" once shown.
inline QString mainWindowMapState() {
    QProcess query;
    query.start(QStringLiteral("xwininfo"), {QStringLiteral("-name"), QStringLiteral("Quorvel")});
    if (!query.waitForFinished(5000))
        return QStringLiteral("xwininfo hangs");
    for (const QByteArray& line : query.readAllStandardOutput().split('\n'))
        if (line.trimmed().startsWith("Map State:"))
            return QString::fromLatin1(line.trimmed().mid(11));
    return QStringLiteral("no window");
}

// Ends the program as the session would, so that its shut-down sequence runs.
inline void stopProgram(QProcess& program) {
    if (program.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(program.processId()), SIGTERM);
    if (!program.waitForFinished(10000))
        program.kill();
}
