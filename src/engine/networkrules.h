#pragma once

#include <QObject>
#include <optional>

#include "engine/networkstate.h"

class Clock;
class UpdateEngine;

// What the network's comings and goings do to the engine. While the network is reported
// disconnected a scheduled update waits, and it begins as soon as a network is there again. After a
// run that failed, the network coming online starts one update, at most one every five minutes of
// real time however often the network flaps, and never while a run is under way. A state the
// system reports as unknown changes nothing.
class NetworkRules : public QObject {
    Q_OBJECT
public:
    NetworkRules(UpdateEngine& engine, const NetworkState& network, const Clock& clock,
                 QObject* parent = nullptr);

    // The shortest spacing of two updates started by the network coming online.
    static constexpr qint64 ReconnectSpacingMs = 5 * 60 * 1000;

private:
    void follow();
    bool lastRunFailed() const;
    bool reconnectAllowed() const;

    UpdateEngine& engine_;
    const NetworkState& network_;
    const Clock& clock_;
    NetworkState::Reachability reported_;
    std::optional<qint64> reconnectUpdateAtMs_;  // boot clock, which counts a suspend
};
