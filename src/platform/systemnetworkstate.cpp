#include "platform/systemnetworkstate.h"

#include <QNetworkInformation>

namespace {
const QString NetworkManagerBackend = QStringLiteral("networkmanager");
}

SystemNetworkState::SystemNetworkState(QObject* parent) : NetworkState(parent) {
    if (!QNetworkInformation::loadBackendByName(NetworkManagerBackend))
        return;
    information_ = QNetworkInformation::instance();
    connect(information_, &QNetworkInformation::reachabilityChanged, this,
            &NetworkState::reachabilityChanged);
}

NetworkState::Reachability SystemNetworkState::reachability() const {
    if (!information_)
        return Reachability::Unknown;
    switch (information_->reachability()) {
        case QNetworkInformation::Reachability::Disconnected:
            return Reachability::Disconnected;
        case QNetworkInformation::Reachability::Local:
        case QNetworkInformation::Reachability::Site:
            return Reachability::Limited;
        case QNetworkInformation::Reachability::Online:
            return Reachability::Online;
        case QNetworkInformation::Reachability::Unknown:
            break;
    }
    return Reachability::Unknown;
}
