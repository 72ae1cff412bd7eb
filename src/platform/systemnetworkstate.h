#pragma once

#include "engine/networkstate.h"

class QNetworkInformation;

// The network's state as NetworkManager reports it over the system bus, through Qt's network
// information. Where NetworkManager is not running valid() is false, and the state stays
// unknown.
class SystemNetworkState final : public NetworkState {
    Q_OBJECT
public:
    explicit SystemNetworkState(QObject* parent = nullptr);

    bool valid() const { return information_ != nullptr; }
    Reachability reachability() const override;

private:
    QNetworkInformation* information_ = nullptr;
};
