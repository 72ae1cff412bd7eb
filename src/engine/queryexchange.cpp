// The run's side of the exchange with a server: what follows when it is ready, connects again,
// takes a sample, asks to query again or gives the server up.
#include "common/clock.h"
#include "engine/updateengine.h"

void UpdateEngine::onReady() {
    if (runState_ != RunState::Connecting)
        return;
    elapsedMs_ = parts_.clock.monotonicMs() - timeMarkMs_;
    queryServer();
    Q_EMIT runStateChanged();
}

void UpdateEngine::onConnecting() {
    if (runState_ == RunState::Idle)
        return;
    timeMarkMs_ = parts_.clock.monotonicMs();
    runState_ = RunState::Connecting;
    Q_EMIT runStateChanged();
}

void UpdateEngine::onSampleTaken(const TimeSample& sample) {
    // The conversation is over: no later reply or hang-up may disturb the setting of the clock.
    exchange_->close();
    if (sample.namedUtc.isValid())
        correctToSecond(sample.namedUtc);
    else
        correctByOffset(sample.offsetNs);
    Q_EMIT runStateChanged();
}

void UpdateEngine::onQueryAgain() {
    queryServer();
    Q_EMIT runStateChanged();
}

void UpdateEngine::onGaveUp(const QString& reason, TimeExchange::Shun shun) {
    if (runState_ == RunState::Idle)
        return;
    if (shun == TimeExchange::Shun::ForTheWalk)
        shunningServers_.insert(serverAddress());
    tryNextServer(reason);
    Q_EMIT runStateChanged();
}

void UpdateEngine::closeExchanges() {
    for (TimeExchange* exchange : parts_.exchanges)
        exchange->close();
}
