// The tick: clock displays, the daylight-saving guard, the two waits and the schedule.
#include "common/dateform.h"
#include "common/leadingnumber.h"
#include "common/walltime.h"
#include "config/settings.h"
#include "engine/daylightjump.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "common/clock.h"
#include "log/activitylog.h"

void UpdateEngine::tmrConstant_Timer() {
    const Clock& clock = parts_.clock;
    const Settings& settings = parts_.settings;
    intElapsed = clock.monotonicMs() - lngTimeMark;
    const QDateTime shown = wholeSecond(clock.localNow());
    txtYourTime = timeText(shown);
    guardDaylightSaving(shown, clock.boottimeMs());
    txtUTCTime = timeText(settings.chkDaylightSavings == 0 ? timeZone_.GetUTCStandardTime()
                                                           : timeZone_.GetUTCDaylightTime());
    Q_EMIT displaysChanged();

    if (intElapsed >= leadingNumber(settings.txtTimeout) && strUpdateState == u"c")
        TryNextServer(RunMessage::ConnectionTimedOut);
    if (intElapsed >= leadingNumber(settings.txtForgetPing) && strUpdateState == u"u") {
        parts_.log.AddLog(
            QStringLiteral("Did not receive reply to attempt %1 after %2 milliseconds.")
                .arg(QString::number(intAttempt), settings.txtForgetPing));
        QueryServer();
        Q_EMIT runStateChanged();
    }
    if (scheduleDue(shown)) {
        parts_.log.AddLog(QStringLiteral("Scheduled update:"));
        BeginUpdate();
    }
    if (pendingWrapAt_ && clock.monotonicMs() >= *pendingWrapAt_) {
        pendingWrapAt_.reset();
        walkStartedAt_ = clock.monotonicMs();
        walkFromSelectedRow();
    }
}

// A jump of the local clock by the daylight bias is a change of daylight-saving time: follow it
// with the option, and cancel a run that the jump may have confused. Our own correction of the
// clock is never taken for one.
void UpdateEngine::guardDaylightSaving(const QDateTime& shown, qint64 bootMs) {
    const bool comparable =
        datLastShownTime.isValid() && !clockSetSinceLastTick_ && !clockAnswerOutstanding_;
    const qint64 jump =
        comparable ? daylightJumpMinutes(datLastShownTime, shown, bootMs - lastTickBootMs_) : 0;
    const qint32 bias = timeZone_.GetDaylightBias();
    if (bias != 0 && jump == bias) {
        setDaylightOption(1);
        if (!butUpdateEnabled)
            EndUpdate(RunMessage::StartOfDaylightSaving);
    }
    if (bias != 0 && jump == -bias) {
        setDaylightOption(0);
        if (!butUpdateEnabled)
            EndUpdate(RunMessage::EndOfDaylightSaving);
    }
    datLastShownTime = shown;
    lastTickBootMs_ = bootMs;
    clockSetSinceLastTick_ = false;
}

void UpdateEngine::setDaylightOption(int state) {
    if (parts_.settings.chkDaylightSavings == state)
        return;
    parts_.settings.chkDaylightSavings = state;
    Q_EMIT daylightOptionChanged();
}

// The zone knows whether daylight-saving time is in force at a moment; a stale option would put
// the clock off by the daylight bias. A greyed option counts as on and stays greyed.
void UpdateEngine::keepDaylightOptionInStep(const QDateTime& utc) {
    const std::optional<bool> daylight = timeZone_.daylightTimeAt(utc);
    if (!daylight)
        return;
    if (!*daylight)
        setDaylightOption(0);
    else if (parts_.settings.chkDaylightSavings == 0)
        setDaylightOption(1);
}

bool UpdateEngine::scheduleDue(const QDateTime& shown) const {
    return parts_.settings.chkSchedule == 1 && datNextUpdate.isValid() && shown >= datNextUpdate;
}
