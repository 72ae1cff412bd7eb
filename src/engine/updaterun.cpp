// Beginning, advancing and ending an update run, and the triggers that do so.
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/leadingnumber.h"
#include "common/walltime.h"
#include "config/fieldchecks.h"
#include "config/settings.h"
#include "engine/runmessages.h"
#include "engine/timesocket.h"
#include "engine/trayview.h"
#include "engine/updateengine.h"
#include "common/clock.h"
#include "engine/clocksetter.h"
#include "serverlist/serverlist.h"
#include "log/activitylog.h"

namespace {
constexpr int MostAttempts = 32767;  // the attempt counter never wraps
constexpr qint64 WalkRepeatMs = 1000;
}  // namespace

UpdateEngine::UpdateEngine(const EngineParts& parts, QObject* parent)
    : QObject(parent), parts_(parts), timeZone_(parts.zone, parts.clock) {
    connect(&parts_.socket, &TimeSocket::connected, this, &UpdateEngine::socUpdate_Connect);
    connect(&parts_.socket, &TimeSocket::dataArrived, this, &UpdateEngine::socUpdate_DataArrival);
    connect(&parts_.socket, &TimeSocket::connectionLost, this,
            &UpdateEngine::socUpdate_ConnectionLost);
    connect(&parts_.clockSetter, &ClockSetter::finished, this, &UpdateEngine::clockSetAnswered);
}

void UpdateEngine::butUpdate_Click() {
    startUpdate(QStringLiteral("Update Clock button clicked:"));
}

void UpdateEngine::lstServers_DblClick() {
    startUpdate(QStringLiteral("Server list double-clicked:"));
}

void UpdateEngine::startUpdate(const QString& announcement) {
    parts_.log.AddLog(announcement);
    BeginUpdate();
}

void UpdateEngine::butDisconnect_Click() {
    EndUpdate(RunMessage::CancelledByUser);
}

void UpdateEngine::BeginUpdate() {
    if (!butUpdateEnabled)
        return;
    pendingWrapAt_.reset();
    walkStartedAt_ = parts_.clock.monotonicMs();
    wrapsDone_ = 0;
    walkFromSelectedRow();
}

// Begins runs down the list until one is under way or the walk has ended. A loop, so that a
// long list of servers that all fail at once cannot exhaust the stack.
void UpdateEngine::walkFromSelectedRow() {
    while (startRun() == RunStart::FailedAtOnce) {
        if (!handOver(RunMessage::ConnectionFailed))
            break;
    }
    datNextUpdate = nowPlusUpdatePeriod();
}

UpdateEngine::RunStart UpdateEngine::startRun() {
    if (!butUpdateEnabled)
        return RunStart::Refused;
    setButtons(false);

    ServerList& servers = parts_.servers;
    const ServerEntry selected = servers.entry(servers.ListIndex());
    if (selected.host != servers.txtIP() || selected.port != servers.txtPort())
        servers.setListIndex(-1);

    parts_.tray.show(TrayView::Picture::Updating, QStringLiteral("Quorvel - Updating"));
    intAttempt = 0;
    parts_.log.AddLog(QStringLiteral("Attempted to connect to ") + servers.txtIP() + u':' +
                      servers.txtPort() + u':');
    const bool requested = parts_.socket.Connect(servers.txtIP(), leadingNumber(servers.txtPort()));
    lngTimeMark = parts_.clock.monotonicMs();
    strUpdateState = QStringLiteral("c");
    Q_EMIT runStateChanged();
    return requested ? RunStart::Started : RunStart::FailedAtOnce;
}

void UpdateEngine::QueryServer() {
    if (intAttempt >= MostAttempts) {
        TryNextServer(RunMessage::FailedTooManyTimes);
        return;
    }
    ++intAttempt;
    const QByteArray query = QByteArray::number(intAttempt);
    if (leadingNumber(parts_.settings.txtAttempts) < intAttempt) {
        TryNextServer(RunMessage::FailedTooManyTimes);
        return;
    }
    parts_.log.AddLog(QStringLiteral("Queried server for time - attempt %1:").arg(intAttempt));
    // A failed send leaves the mark and the state as they were, so the next tick tries again.
    if (!parts_.socket.SendData(query))
        return;
    lngTimeMark = parts_.clock.monotonicMs();
    strUpdateState = QStringLiteral("u");
}

void UpdateEngine::TryNextServer(const QString& reason) {
    if (handOver(reason))
        walkFromSelectedRow();
}

// Ends the run on this server and selects the next row. True when a run is to begin there now.
// After the last row the walk starts again from the top only when the loop option is set, and
// then from a later tick, at most once a second, so failing lists are not walked in a spin.
bool UpdateEngine::handOver(const QString& reason) {
    EndUpdate(reason);
    ServerList& servers = parts_.servers;
    if (servers.count() > 0 && servers.ListIndex() == servers.count() - 1) {
        servers.setListIndex(0);
        const bool mayWrap = wrapLimit_ < 0 || wrapsDone_ < wrapLimit_;
        if (parts_.settings.chkLoop == 1 && mayWrap) {
            ++wrapsDone_;
            pendingWrapAt_ = std::max(parts_.clock.monotonicMs(), walkStartedAt_ + WalkRepeatMs);
        }
        return false;
    }
    if (servers.ListIndex() >= 0) {
        servers.setListIndex(servers.ListIndex() + 1);
        return true;
    }
    return false;
}

void UpdateEngine::EndUpdate(const QString& message) {
    strUpdateState.clear();
    settingClock_.reset();
    pendingWrapAt_.reset();
    parts_.socket.Close();
    if (message != RunMessage::LastUpdated)
        parts_.log.AddLog(message + u'.');
    lastEndMessage_ = message;
    parts_.tray.show(TrayView::Picture::Idle,
                       QStringLiteral("Quorvel - ") + RunMessage::forTooltip(message) +
                           QStringLiteral(" at ") + parts_.log.TimeStamp());
    setButtons(true);
    datNextUpdate = nowPlusUpdatePeriod();
    Q_EMIT runStateChanged();
}

// Enables one button and disables the other; the focus follows when the disabled one had it.
void UpdateEngine::setButtons(bool updateEnabled) {
    const bool hadFocus = updateEnabled ? blnDisconnectHasFocus : blnUpdateHasFocus;
    (updateEnabled ? butUpdateEnabled : butDisconnectEnabled) = true;
    Q_EMIT buttonsChanged();
    if (hadFocus)
        Q_EMIT focusRequested(updateEnabled ? Button::Update : Button::Disconnect);
    (updateEnabled ? butDisconnectEnabled : butUpdateEnabled) = false;
    Q_EMIT buttonsChanged();
}

void UpdateEngine::scheduleNextUpdate() {
    datNextUpdate = nowPlusUpdatePeriod();
}

// Now plus the update period; nothing (no scheduled update) beyond the last representable year.
QDateTime UpdateEngine::nowPlusUpdatePeriod() const {
    const QDateTime now = wholeSecond(parts_.clock.localNow());
    const QDateTime last = wallTime(QDate(9999, 12, 31), QTime(23, 59, 59));
    const double hours = updatePeriodHours(parts_.settings.txtTimes);
    if (hours * 3600 > double(now.secsTo(last)))
        return {};
    return now.addSecs(qint64(hours) * 3600);
}

std::optional<qint64> UpdateEngine::nextDeadline() const {
    std::optional<qint64> deadline = pendingWrapAt_;
    const QString& wait = strUpdateState == u"c"   ? parts_.settings.txtTimeout
                          : strUpdateState == u"u" ? parts_.settings.txtForgetPing
                                                   : QString();
    if (!wait.isNull()) {
        const double due = double(lngTimeMark) + std::max(0.0, leadingNumber(wait));
        const qint64 at = due >= 9e18 ? std::numeric_limits<qint64>::max() : qint64(std::ceil(due));
        deadline = deadline ? std::min(*deadline, at) : at;
    }
    return deadline;
}
