// Setting the clock from an accepted reply.
#include "common/dateform.h"
#include "common/walltime.h"
#include "config/settings.h"
#include "engine/replydate.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "platform/clock.h"
#include "platform/clocksetter.h"
#include "serverlist/serverlist.h"
#include "ui/activitylog.h"

namespace {
// The reply names a whole second; its midpoint is the best estimate of the server's time.
constexpr qint64 MidSecondMs = 500;
}  // namespace

void UpdateEngine::correctClock(const QByteArray& reply) {
    const QDateTime presentLocal = parts_.clock.localNow();
    const QDateTime oldLocal = wholeSecond(presentLocal);
    const std::optional<QDateTime> serverUtc = readReplyDateTime(reply, oldLocal.date());
    if (!serverUtc) {
        parts_.log.AddLog(QStringLiteral("Date and time in packet could not be read."));
        QueryServer();
        return;
    }
    keepDaylightOptionInStep(*serverUtc);
    const qint16 offset = parts_.settings.chkDaylightSavings == 0
                              ? timeZone_.GetStandardBias()
                              : timeZone_.GetDaylightTotalBias();
    const QDateTime newLocal = serverUtc->addSecs(-qint64(offset) * 60);
    const QDateTime instant = newLocal.addMSecs(MidSecondMs);
    const ClockSetResult result =
        parts_.clockSetter.setClock({instant, presentLocal.msecsTo(instant) * 1000});
    if (!result.ok) {
        parts_.log.AddLog(QStringLiteral("*System clock could not be set to %1 - %2.*")
                              .arg(timeText(newLocal), result.reason));
        EndUpdate(RunMessage::ClockNotSet);
        selectFirstServer();
        return;
    }
    clockSetSinceLastTick_ = !parts_.clockSetter.isDryRun();
    logCorrection(oldLocal, newLocal);
    EndUpdate(RunMessage::LastUpdated);
    selectFirstServer();
    if (parts_.settings.chkCloseAfterUpdate == 1)
        Q_EMIT closeRequested();
}

void UpdateEngine::logCorrection(const QDateTime& oldLocal, const QDateTime& newLocal) {
    const QString verb = parts_.clockSetter.isDryRun() ? QStringLiteral("would be updated")
                                                       : QStringLiteral("updated");
    const qint64 correction = oldLocal.secsTo(newLocal);
    if (correction == 0) {
        parts_.log.AddLog(
            QStringLiteral("*System clock %1 to %2 - a correction of less than a second.*")
                .arg(verb, timeText(newLocal)));
        return;
    }
    const QString sign = correction > 0 ? QStringLiteral("+") : QString();
    parts_.log.AddLog(
        QStringLiteral("*System clock %1 from %2 to %3 - a correction of %4%5 seconds.*")
            .arg(verb, timeText(oldLocal), timeText(newLocal), sign, QString::number(correction)));
}

void UpdateEngine::selectFirstServer() {
    if (parts_.servers.count() > 0)
        parts_.servers.setListIndex(0);
}

QString UpdateEngine::timeText(const QDateTime& wall) const {
    return DateForm::generalDateTime(wall, parts_.locale);
}
