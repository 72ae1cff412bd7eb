#include "engine/lineexchange.h"

#include "common/clock.h"
#include "engine/replydate.h"
#include "engine/replytext.h"
#include "engine/runmessages.h"
#include "engine/timesocket.h"
#include "log/activitylog.h"

LineExchange::LineExchange(const Parts& parts, QObject* parent)
    : SocketExchange(parts, QStringLiteral("Connection established after %1 milliseconds."),
                     parent) {
    connect(&parts_.socket, &TimeSocket::dataArrived, this, &LineExchange::judge);
    // The server hung up: give it up now rather than spend the remaining attempts on a dead line.
    connect(&parts_.socket, &TimeSocket::connectionLost, this,
            [this] { Q_EMIT gaveUp(RunMessage::ConnectionLost, Shun::No); });
}

bool LineExchange::query(int attempt) {
    attempt_ = attempt;
    return send(QByteArray::number(attempt));
}

void LineExchange::judge(const QByteArray& reply) {
    const qint64 delay = msSinceMark();
    ActivityLog& log = parts_.log;
    log.add(QStringLiteral("Received packet \"%1\" after %2 milliseconds:")
                .arg(shownReplyText(reply), QString::number(delay)));
    const int answered = replyAttemptNumber(reply);
    if (answered == attempt_) {
        if (inTime(delay)) {
            log.add(
                QStringLiteral("Packet was reply to attempt %1 - packet accepted:").arg(attempt_));
            takeSample(reply);
        } else {
            log.add(QStringLiteral("Packet was reply to attempt %1 - delay was unacceptable.")
                        .arg(attempt_));
            Q_EMIT queryAgain();
        }
        return;
    }
    if (answered < 1 || answered > attempt_)
        log.add(QStringLiteral("Packet was erroneous."));
    else
        log.add(
            QStringLiteral("Packet was reply to attempt %1, but it has expired.").arg(answered));
    Q_EMIT replyIgnored();
}

// The reply's two-digit year falls in the century nearest to the local clock's date.
void LineExchange::takeSample(const QByteArray& reply) {
    const std::optional<QDateTime> serverUtc =
        readReplyDateTime(reply, parts_.clock.localNow().date());
    if (!serverUtc) {
        parts_.log.add(QStringLiteral("Date and time in packet could not be read."));
        Q_EMIT queryAgain();
        return;
    }
    TimeSample sample;
    sample.server = server();
    sample.namedUtc = *serverUtc;
    Q_EMIT sampleTaken(sample);
}
