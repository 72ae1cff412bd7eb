// The conversation with a time server: the connect event and the judgement of each reply.
#include "common/clock.h"
#include "common/leadingnumber.h"
#include "config/settings.h"
#include "engine/replytext.h"
#include "engine/runmessages.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"

// A TCP connection made, or an NTP server's address found (UDP has no connection).
void UpdateEngine::onConnected() {
    if (runState_ != RunState::Connecting)
        return;  // a look-up answered after its run had given up
    elapsedMs_ = parts_.clock.monotonicMs() - timeMarkMs_;
    parts_.log.add((ntp_ ? QStringLiteral("NTP server found after %1 milliseconds.")
                         : QStringLiteral("Connection established after %1 milliseconds."))
                       .arg(elapsedMs_));
    queryServer();
    Q_EMIT runStateChanged();
}

void UpdateEngine::onDataArrived(const QByteArray& reply) {
    const qint64 delay = parts_.clock.monotonicMs() - timeMarkMs_;
    ActivityLog& log = parts_.log;
    log.add(QStringLiteral("Received packet \"%1\" after %2 milliseconds:")
                .arg(shownReplyText(reply), QString::number(delay)));
    const int answered = replyAttemptNumber(reply);
    if (answered == attempt_) {
        if (double(delay) < leadingNumber(parts_.settings.maxReplyDelayText)) {
            log.add(
                QStringLiteral("Packet was reply to attempt %1 - packet accepted:").arg(attempt_));
            correctClock(reply);
        } else {
            log.add(QStringLiteral("Packet was reply to attempt %1 - delay was unacceptable.")
                        .arg(attempt_));
            queryServer();
        }
    } else if (answered < 1 || answered > attempt_) {
        log.add(QStringLiteral("Packet was erroneous."));
    } else {
        log.add(
            QStringLiteral("Packet was reply to attempt %1, but it has expired.").arg(answered));
    }
    Q_EMIT runStateChanged();
}

// The server hung up: give it up now rather than spend the remaining attempts on a dead line.
void UpdateEngine::onConnectionLost() {
    if (runState_ != RunState::Idle)
        tryNextServer(RunMessage::ConnectionLost);
}
