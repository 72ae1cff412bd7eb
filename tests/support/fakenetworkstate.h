#pragma once

#include "engine/networkstate.h"

// A network state the test reports by hand; online until told otherwise.
class FakeNetworkState final : public NetworkState {
public:
    Reachability reachability() const override { return reachability_; }

    // Reports a new state; the same state again is no change, as the system reports it.
    void report(Reachability reachability) {
        if (reachability == reachability_)
            return;
        reachability_ = reachability;
        Q_EMIT reachabilityChanged();
    }

private:
    Reachability reachability_ = Reachability::Online;
};
