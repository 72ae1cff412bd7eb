// The tick: clock displays, the daylight-saving guard, the two waits and the schedule.
#include "common/clock.h"
#include "common/leadingnumber.h"
#include "common/walltime.h"
#include "config/settings.h"
#include "engine/daylightjump.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"

void UpdateEngine::tick() {
    const Clock& clock = parts_.clock;
    const Settings& settings = parts_.settings;
    elapsedMs_ = clock.monotonicMs() - timeMarkMs_;
    const QDateTime shown = wholeSecond(clock.localNow());
    const ZoneOffsets offsets = timeZone_.offsets();
    guardDaylightSaving(shown, clock.boottimeMs(), offsets.daylightShift);
    shownUtc_ = TimeZone::utcOf(shown, offsets, settings.daylightSaving != 0);
    Q_EMIT displaysChanged();

    if (elapsedMs_ >= leadingNumber(settings.connectWaitText) && runState_ == RunState::Connecting)
        tryNextServer(RunMessage::ConnectionTimedOut);
    if (elapsedMs_ >= leadingNumber(settings.replyWaitText) &&
        runState_ == RunState::AwaitingReply) {
        parts_.log.add(QStringLiteral("Did not receive reply to attempt %1 after %2 milliseconds.")
                           .arg(QString::number(attempt_), settings.replyWaitText));
        queryServer();
        Q_EMIT runStateChanged();
    }
    if (scheduleDue(shown))
        beginScheduledUpdate();
    if (pendingWrapAt_ && clock.monotonicMs() >= *pendingWrapAt_) {
        pendingWrapAt_.reset();
        walkStartedAt_ = clock.monotonicMs();
        walkFromSelectedRow();
    }
}

// A jump of the local clock by the daylight shift is a change of daylight-saving time: follow it
// with the option, and cancel a run that the jump may have confused. Our own correction of the
// clock is never taken for one.
void UpdateEngine::guardDaylightSaving(const QDateTime& shown, qint64 bootMs, qint32 shift) {
    const bool comparable = lastShownTime_.isValid() && !clockSetSinceLastTick_ && !clockRequest_;
    const qint64 jump =
        comparable ? daylightJumpMinutes(lastShownTime_, shown, bootMs - lastTickBootMs_) : 0;
    if (shift != 0 && jump == shift) {
        setDaylightOption(1);
        if (runUnderWay_)
            endUpdate(RunMessage::StartOfDaylightSaving);
    }
    if (shift != 0 && jump == -shift) {
        setDaylightOption(0);
        if (runUnderWay_)
            endUpdate(RunMessage::EndOfDaylightSaving);
    }
    lastShownTime_ = shown;
    lastTickBootMs_ = bootMs;
    clockSetSinceLastTick_ = false;
}

void UpdateEngine::setDaylightOption(int state) {
    if (parts_.settings.daylightSaving == state)
        return;
    parts_.settings.daylightSaving = state;
    Q_EMIT daylightOptionChanged();
}

// The zone knows whether daylight-saving time is in force at a moment; a stale option would put
// the clock off by the daylight shift. A greyed option counts as on and stays greyed.
void UpdateEngine::keepDaylightOptionInStep(const QDateTime& utc) {
    const std::optional<bool> daylight = timeZone_.daylightTimeAt(utc);
    if (!daylight)
        return;
    if (!*daylight)
        setDaylightOption(0);
    else if (parts_.settings.daylightSaving == 0)
        setDaylightOption(1);
}

bool UpdateEngine::scheduleDue(const QDateTime& shown) const {
    return parts_.settings.scheduled == 1 && nextUpdate_.isValid() && shown >= nextUpdate_;
}

// Announced once, when it falls due; a run that begins sets the next one.
void UpdateEngine::beginScheduledUpdate() {
    if (announcedUpdate_ != nextUpdate_) {
        parts_.log.add(QStringLiteral("Scheduled update:"));
        announcedUpdate_ = nextUpdate_;
    }
    if (!scheduleHeld_)
        beginUpdate();
}

bool UpdateEngine::holdScheduledUpdates(bool held) {
    scheduleHeld_ = held;
    if (held || !scheduleDue(wholeSecond(parts_.clock.localNow())))
        return false;
    beginScheduledUpdate();
    return true;
}
