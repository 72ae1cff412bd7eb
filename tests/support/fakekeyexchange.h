#pragma once

#include <QString>
#include <utility>

#include "engine/nts/keyexchange.h"

// An NTS key exchange the test answers, synchronously. It records where it was started and
// how often an exchange under way was aborted; one that is not under way gives no signal.
class FakeKeyExchange final : public NtsKeyExchange {
public:
    void start(const QString& toHost, quint16 toPort) override {
        host = toHost;
        port = toPort;
        ++starts;
        underWay_ = true;
    }
    void abort() override {
        if (std::exchange(underWay_, false))
            ++aborts;
    }

    void succeed(const NtsKeys& keys) {
        if (std::exchange(underWay_, false))
            Q_EMIT succeeded(keys);
    }
    void fail(const QString& reason) {
        if (std::exchange(underWay_, false))
            Q_EMIT failed(reason);
    }
    bool underWay() const { return underWay_; }

    QString host;
    quint16 port = 0;
    int starts = 0;
    int aborts = 0;

private:
    bool underWay_ = false;
};
