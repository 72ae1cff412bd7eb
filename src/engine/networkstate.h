#pragma once

#include <QObject>

// Whether the machine can reach the network, as the system reports it. A laptop wakes before its
// network is back; with this the schedule waits for it instead of failing at once.
class NetworkState : public QObject {
    Q_OBJECT
public:
    // Limited: a network is there, but the system cannot tell that it leads to the Internet (only
    // local addresses, or a site whose way out failed the system's check). Servers on it may
    // still answer.
    enum class Reachability { Unknown, Disconnected, Limited, Online };

    using QObject::QObject;

    virtual Reachability reachability() const = 0;

Q_SIGNALS:
    void reachabilityChanged();
};
