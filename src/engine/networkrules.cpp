#include "engine/networkrules.h"

#include "common/clock.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"

using Reachability = NetworkState::Reachability;

NetworkRules::NetworkRules(UpdateEngine& engine, const NetworkState& network, const Clock& clock,
                           QObject* parent)
    : QObject(parent),
      engine_(engine),
      network_(network),
      clock_(clock),
      reported_(network.reachability()) {
    engine_.holdScheduledUpdates(reported_ == Reachability::Disconnected);
    connect(&network_, &NetworkState::reachabilityChanged, this, &NetworkRules::follow);
}

// A state reported as unknown leaves a waiting update waiting: the system says so on its way
// from disconnected to connected.
void NetworkRules::follow() {
    const Reachability now = network_.reachability();
    const bool cameOnline = now == Reachability::Online && reported_ != Reachability::Online;
    reported_ = now;
    // A scheduled update that waited for the network is the one update it brings.
    if (now != Reachability::Unknown &&
        engine_.holdScheduledUpdates(now == Reachability::Disconnected))
        return;
    if (cameOnline && engine_.isIdle() && lastRunFailed() && reconnectAllowed()) {
        reconnectUpdateAtMs_ = clock_.boottimeMs();
        engine_.startUpdate(QStringLiteral("Network connected:"));
    }
}

bool NetworkRules::lastRunFailed() const {
    const QString message = engine_.lastEndMessage();
    return !message.isEmpty() && message != RunMessage::LastUpdated &&
           message != RunMessage::CancelledByUser;
}

bool NetworkRules::reconnectAllowed() const {
    return !reconnectUpdateAtMs_ ||
           clock_.boottimeMs() - *reconnectUpdateAtMs_ >= ReconnectSpacingMs;
}
