// The conversation with a time server: the connect event and the judgement of each reply.
#include "common/leadingnumber.h"
#include "config/settings.h"
#include "engine/replytext.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "common/clock.h"
#include "log/activitylog.h"

void UpdateEngine::socUpdate_Connect() {
    intElapsed = parts_.clock.monotonicMs() - lngTimeMark;
    parts_.log.AddLog(
        QStringLiteral("Connection established after %1 milliseconds.").arg(intElapsed));
    QueryServer();
    Q_EMIT runStateChanged();
}

void UpdateEngine::socUpdate_DataArrival(const QByteArray& reply) {
    const qint64 delay = parts_.clock.monotonicMs() - lngTimeMark;
    ActivityLog& log = parts_.log;
    log.AddLog(QStringLiteral("Received packet \"%1\" after %2 milliseconds:")
                   .arg(shownReplyText(reply), QString::number(delay)));
    const int answered = replyAttemptNumber(reply);
    if (answered == intAttempt) {
        if (double(delay) < leadingNumber(parts_.settings.txtMaxPing)) {
            log.AddLog(QStringLiteral("Packet was reply to attempt %1 - packet accepted:")
                           .arg(intAttempt));
            correctClock(reply);
        } else {
            log.AddLog(QStringLiteral("Packet was reply to attempt %1 - delay was unacceptable.")
                           .arg(intAttempt));
            QueryServer();
        }
    } else if (answered < 1 || answered > intAttempt) {
        log.AddLog(QStringLiteral("Packet was erroneous."));
    } else {
        log.AddLog(
            QStringLiteral("Packet was reply to attempt %1, but it has expired.").arg(answered));
    }
    Q_EMIT runStateChanged();
}

// The server hung up: give it up now rather than spend the remaining attempts on a dead line.
void UpdateEngine::socUpdate_ConnectionLost() {
    if (!strUpdateState.isEmpty())
        TryNextServer(RunMessage::ConnectionLost);
}
