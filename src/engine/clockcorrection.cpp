// Setting the clock from an accepted sample: the setting itself, and the correction from a named
// second.
#include <utility>

#include "common/clock.h"
#include "common/dateform.h"
#include "common/walltime.h"
#include "config/settings.h"
#include "engine/clocksetter.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/serverlist.h"
#include "timezone/zonesource.h"

namespace {
// The reply names a whole second; its midpoint is the best estimate of the server's time.
constexpr qint64 MidSecondMs = 500;
}  // namespace

void UpdateEngine::correctToSecond(const QDateTime& serverUtc) {
    const QDateTime presentUtc = parts_.clock.utcNow();
    const QDateTime oldLocal = wholeSecond(parts_.clock.localNow());
    keepDaylightOptionInStep(serverUtc);
    const qint16 offset = parts_.settings.daylightSaving == 0 ? timeZone_.standardOffset()
                                                              : timeZone_.daylightOffset();
    const ClockSetting setting{oldLocal, serverUtc.addSecs(-qint64(offset) * 60)};
    // The step is worked out between two UTC instants: two local times lie an hour apart
    // whenever now and the server's moment fall in different daylight-saving seasons. The new
    // local time turns back into UTC with the zone's own offset at the server's moment.
    const qint32 zoneOffset = parts_.zone.offsetAt(serverUtc).value_or(offset);
    const QDateTime instant =
        setting.newLocal.addSecs(qint64(zoneOffset) * 60).addMSecs(MidSecondMs);
    setClock(setting, {instant, presentUtc.msecsTo(instant) * 1000});
}

// Hands the change to the clock setter; a setter that answers later leaves the run waiting,
// however long polkit's dialog stays open. One request at a time: a second relative step would
// have been worked out from a clock the first had not yet corrected.
void UpdateEngine::setClock(const ClockSetting& setting, const ClockChange& change) {
    if (clockRequest_) {
        finishCorrection(setting, {false, QStringLiteral("an earlier request is still waiting "
                                                         "for authorisation")});
        return;
    }
    const std::optional<ClockSetResult> result = parts_.clockSetter.setClock(change);
    if (result) {
        finishCorrection(setting, *result);
        return;
    }
    runState_ = RunState::SettingClock;
    clockRequest_ = setting;
}

// The time service's answer, possibly long after the request. A run cancelled meanwhile has
// already ended and logged why; its answer ends nothing, but what became of the clock is still
// logged, so the log never hides a step.
void UpdateEngine::clockSetAnswered(const ClockSetResult& result) {
    if (!clockRequest_)
        return;
    const ClockSetting setting = *std::exchange(clockRequest_, std::nullopt);
    if (runState_ == RunState::SettingClock) {
        finishCorrection(setting, result);
        return;
    }
    clockSetSinceLastTick_ = result.ok && !parts_.clockSetter.isDryRun();
    logClockSetting(setting, result);
}

void UpdateEngine::finishCorrection(const ClockSetting& setting, const ClockSetResult& result) {
    logClockSetting(setting, result);
    if (!result.ok) {
        endUpdate(RunMessage::ClockNotSet);
        selectFirstServer();
        return;
    }
    clockSetSinceLastTick_ = !parts_.clockSetter.isDryRun();
    endUpdate(RunMessage::LastUpdated);
    selectFirstServer();
    if (parts_.settings.closeAfterUpdate == 1)
        Q_EMIT closeRequested();
}

void UpdateEngine::logClockSetting(const ClockSetting& setting, const ClockSetResult& result) {
    if (!result.ok)
        parts_.log.add(QStringLiteral("*System clock could not be set to %1 - %2.*")
                           .arg(timeText(setting.newLocal), result.reason));
    else if (setting.measuredOffsetNs)
        logOffsetCorrection(setting);
    else
        logSecondsCorrection(setting);
    Q_EMIT clockAnswered(setting, result);
}

void UpdateEngine::logSecondsCorrection(const ClockSetting& setting) {
    const QDateTime& oldLocal = setting.oldLocal;
    const QDateTime& newLocal = setting.newLocal;
    const QString verb = correctionVerb();
    const qint64 correction = oldLocal.secsTo(newLocal);
    if (correction == 0) {
        parts_.log.add(
            QStringLiteral("*System clock %1 to %2 - a correction of less than a second.*")
                .arg(verb, timeText(newLocal)));
        return;
    }
    const QString sign = correction > 0 ? QStringLiteral("+") : QString();
    parts_.log.add(
        QStringLiteral("*System clock %1 from %2 to %3 - a correction of %4%5 seconds.*")
            .arg(verb, timeText(oldLocal), timeText(newLocal), sign, QString::number(correction)));
}

void UpdateEngine::selectFirstServer() {
    if (parts_.servers.count() > 0)
        parts_.servers.select(0);
}

QString UpdateEngine::correctionVerb() const {
    return parts_.clockSetter.isDryRun() ? QStringLiteral("would be updated")
                                         : QStringLiteral("updated");
}

QString UpdateEngine::timeText(const QDateTime& wall) const {
    return DateForm::generalDateTime(wall, parts_.locale);
}
