#pragma once

#include <QByteArray>
#include <QString>

// Makes this process root of a user, network and mount namespace of its own, whoever runs it:
// the only interface is loopback (brought up), so no packet leaves the machine and any user may
// bind port 123 there; /etc/hosts holds the given lines, seen by this process alone, so a name
// may resolve to addresses of the test's choosing. Call it first in main(), before any thread
// starts: the kernel refuses a new user namespace to a process with threads. Empty when done;
// else why not.
QString enterPrivateNetwork(const QByteArray& hosts);
