#pragma once

#include <QProcess>
#include <QString>

// A dbus-daemon of the test's own, to stand in for the system bus; its address once it listens
// (empty when it did not start).
inline QString startPrivateBus(QProcess& daemon) {
    daemon.start("dbus-daemon",
                 {"--session", "--nofork", "--print-address", "--address=unix:tmpdir=/tmp"});
    return daemon.waitForReadyRead(10000) ? QString::fromUtf8(daemon.readLine().trimmed())
                                          : QString();
}
