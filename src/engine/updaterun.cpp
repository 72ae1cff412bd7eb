// Beginning, advancing and ending an update run, and the triggers that do so.
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/clock.h"
#include "common/leadingnumber.h"
#include "common/walltime.h"
#include "config/fieldchecks.h"
#include "config/settings.h"
#include "engine/clocksetter.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/serverlist.h"

namespace {
constexpr int MostAttempts = 32767;  // the attempt counter never wraps
constexpr qint64 WalkRepeatMs = 1000;
}  // namespace

UpdateEngine::UpdateEngine(const EngineParts& parts, QObject* parent)
    : QObject(parent), parts_(parts), timeZone_(parts.zone) {
    // Only the run's exchange is open, and a closed one emits nothing.
    for (TimeExchange* exchange : parts_.exchanges) {
        connect(exchange, &TimeExchange::ready, this, &UpdateEngine::onReady);
        connect(exchange, &TimeExchange::connecting, this, &UpdateEngine::onConnecting);
        connect(exchange, &TimeExchange::sampleTaken, this, &UpdateEngine::onSampleTaken);
        connect(exchange, &TimeExchange::queryAgain, this, &UpdateEngine::onQueryAgain);
        connect(exchange, &TimeExchange::replyIgnored, this, &UpdateEngine::runStateChanged);
        connect(exchange, &TimeExchange::gaveUp, this, &UpdateEngine::onGaveUp);
    }
    connect(&parts_.clockSetter, &ClockSetter::finished, this, &UpdateEngine::clockSetAnswered);
}

QString UpdateEngine::serverAddress() const {
    return parts_.servers.addressHost() + u':' + parts_.servers.addressPort();
}

void UpdateEngine::requestUpdate() {
    startUpdate(QStringLiteral("Update Clock button clicked:"));
}

void UpdateEngine::requestUpdateFromList() {
    startUpdate(QStringLiteral("Server list double-clicked:"));
}

void UpdateEngine::startUpdate(const QString& announcement) {
    parts_.log.add(announcement);
    beginUpdate();
}

void UpdateEngine::cancelUpdate() {
    endUpdate(RunMessage::CancelledByUser);
}

void UpdateEngine::beginUpdate() {
    if (runUnderWay_)
        return;
    pendingWrapAt_.reset();
    walkStartedAt_ = parts_.clock.monotonicMs();
    wrapsDone_ = 0;
    shunningServers_.clear();
    walkFromSelectedRow();
}

// Begins runs down the list until one is under way or the walk has ended. A loop, so that a
// long list of servers that all fail at once cannot exhaust the stack.
void UpdateEngine::walkFromSelectedRow() {
    for (RunStart start = startRun();
         start == RunStart::FailedAtOnce || start == RunStart::ShunnedByServer;
         start = startRun()) {
        if (!handOver(start == RunStart::ShunnedByServer ? RunMessage::ServerRefused
                                                         : RunMessage::ConnectionFailed))
            break;
    }
    nextUpdate_ = nowPlusUpdatePeriod();
}

UpdateEngine::RunStart UpdateEngine::startRun() {
    if (runUnderWay_)
        return RunStart::Refused;
    runUnderWay_ = true;
    Q_EMIT runBegun();

    ServerList& servers = parts_.servers;
    const ServerEntry selected = servers.entry(servers.selectedIndex());
    if (selected.host != servers.addressHost() || selected.port != servers.addressPort())
        servers.select(-1);

    attempt_ = 0;
    parts_.log.add(QStringLiteral("Attempted to connect to ") + serverAddress() + u':');
    if (shunningServers_.contains(serverAddress()))
        return RunStart::ShunnedByServer;
    const double port = leadingNumber(servers.addressPort());
    exchange_ = exchangeServing(parts_.exchanges, port);
    const bool requested = exchange_ && exchange_->begin(servers.addressHost(), port);
    timeMarkMs_ = parts_.clock.monotonicMs();
    runState_ = RunState::Connecting;
    Q_EMIT runStateChanged();
    return requested ? RunStart::Started : RunStart::FailedAtOnce;
}

void UpdateEngine::queryServer() {
    if (attempt_ >= MostAttempts) {
        tryNextServer(RunMessage::FailedTooManyTimes);
        return;
    }
    ++attempt_;
    if (leadingNumber(parts_.settings.attemptsText) < attempt_) {
        tryNextServer(RunMessage::FailedTooManyTimes);
        return;
    }
    parts_.log.add(QStringLiteral("Queried server for time - attempt %1:").arg(attempt_));
    // A failed send leaves the mark and the state as they were, so the next tick tries again.
    if (!exchange_->query(attempt_))
        return;
    timeMarkMs_ = parts_.clock.monotonicMs();
    runState_ = RunState::AwaitingReply;
}

void UpdateEngine::tryNextServer(const QString& reason) {
    if (handOver(reason))
        walkFromSelectedRow();
}

// Ends the run on this server and selects the next row. True when a run is to begin there now.
// After the last row the walk starts again from the top only when the loop option is set, and
// then from a later tick, at most once a second, so failing lists are not walked in a spin.
bool UpdateEngine::handOver(const QString& reason) {
    endUpdate(reason);
    ServerList& servers = parts_.servers;
    if (servers.count() > 0 && servers.selectedIndex() == servers.count() - 1) {
        servers.select(0);
        const bool mayWrap = wrapLimit_ < 0 || wrapsDone_ < wrapLimit_;
        if (parts_.settings.loopList == 1 && mayWrap) {
            ++wrapsDone_;
            pendingWrapAt_ = std::max(parts_.clock.monotonicMs(), walkStartedAt_ + WalkRepeatMs);
        }
        return false;
    }
    if (servers.selectedIndex() >= 0) {
        servers.select(servers.selectedIndex() + 1);
        return true;
    }
    return false;
}

void UpdateEngine::endUpdate(const QString& message) {
    runState_ = RunState::Idle;
    pendingWrapAt_.reset();
    closeExchanges();
    if (message != RunMessage::LastUpdated)
        parts_.log.add(message + u'.');
    lastEndMessage_ = message;
    runUnderWay_ = false;
    Q_EMIT runEnded(message);
    nextUpdate_ = nowPlusUpdatePeriod();
    Q_EMIT runStateChanged();
}

void UpdateEngine::scheduleNextUpdate() {
    nextUpdate_ = nowPlusUpdatePeriod();
}

// Now plus the update period; nothing (no scheduled update) beyond the last representable year.
QDateTime UpdateEngine::nowPlusUpdatePeriod() const {
    const QDateTime now = wholeSecond(parts_.clock.localNow());
    const QDateTime last = wallTime(QDate(9999, 12, 31), QTime(23, 59, 59));
    const double hours = updatePeriodHours(parts_.settings.updatePeriodText);
    if (hours * 3600 > double(now.secsTo(last)))
        return {};
    return now.addSecs(qint64(hours) * 3600);
}

std::optional<qint64> UpdateEngine::nextDeadline() const {
    std::optional<qint64> deadline = pendingWrapAt_;
    const QString& wait = runState_ == RunState::Connecting      ? parts_.settings.connectWaitText
                          : runState_ == RunState::AwaitingReply ? parts_.settings.replyWaitText
                                                                 : QString();
    if (!wait.isNull()) {
        const double due = double(timeMarkMs_) + std::max(0.0, leadingNumber(wait));
        const qint64 at = due >= 9e18 ? std::numeric_limits<qint64>::max() : qint64(std::ceil(due));
        deadline = deadline ? std::min(*deadline, at) : at;
    }
    return deadline;
}
