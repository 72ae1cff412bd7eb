#include "engine/ntp/measuredexchange.h"

#include "common/clock.h"
#include "engine/ntp/ntppacket.h"
#include "engine/ntp/ntpsample.h"
#include "engine/offsettext.h"
#include "engine/runmessages.h"
#include "log/activitylog.h"

namespace {
// Kiss-o'-death codes that ask the client to stop asking.
bool asksToStop(const QByteArray& code) {
    return code == "RATE" || code == "DENY" || code == "RSTR";
}

// Timestamps of zero, or a server that claims to have held the request longer than the whole
// exchange took: no working server's reply looks like that, whatever its stratum.
bool isNonsense(const NtpReply& reply, const NtpSample& sample) {
    return reply.received == NtpTimestamp() || reply.sent == NtpTimestamp() ||
           sample.roundTripNs < 0;
}
}  // namespace

bool MeasuredExchange::sendRequest(int attempt, quint64 transmitBits, const QByteArray& request) {
    attempt_ = attempt;
    const Clock& clock = parts_.clock;
    request_ = {transmitBits, clock.utcNowNs(), clock.monotonicNs()};
    const bool sent = send(request);
    awaiting_ = awaiting_ || sent;
    return sent;
}

void MeasuredExchange::close() {
    awaiting_ = false;
    SocketExchange::close();
}

// A refusal or an unsynchronised server is judged before the numbers: a kiss with zero
// timestamps is still a kiss.
void MeasuredExchange::judge(const NtpReply& reply, qint64 receivedMonotonicNs,
                             bool authenticated) {
    // T4 is T1 moved on by the monotonic clock, so a step of the realtime clock meanwhile does
    // not distort it.
    const qint64 receivedUnixNs =
        request_.sentUnixNs + (receivedMonotonicNs - request_.sentMonotonicNs);
    const NtpSample sample =
        ntpSample(request_.sentUnixNs, reply.received, reply.sent, receivedUnixNs);
    ActivityLog& log = parts_.log;
    const QString received =
        (authenticated ? QStringLiteral("Received authenticated NTP reply after %1 milliseconds: ")
                       : QStringLiteral("Received NTP reply after %1 milliseconds: "))
            .arg(msSinceMark());
    if (reply.kind == NtpReplyKind::Usable && isNonsense(reply, sample)) {
        // As for an erroneous line reply, the run waits on for another reply to this request.
        log.add(received + QStringLiteral("packet was erroneous."));
        Q_EMIT replyIgnored();
        return;
    }
    const qint64 roundTripMs = roundedMilliseconds(sample.roundTripNs);
    log.add(received + QStringLiteral("stratum %1, offset %2 seconds, round trip %3 milliseconds:")
                           .arg(QString::number(reply.stratum), shownOffsetSeconds(sample.offsetNs),
                                QString::number(roundTripMs)));
    switch (reply.kind) {
        case NtpReplyKind::KissOfDeath:
            log.add(QStringLiteral("Server refused the query (%1).")
                        .arg(QString::fromLatin1(reply.referenceId)));
            refused(reply.referenceId);
            return;
        case NtpReplyKind::NotSynchronised:
            log.add(QStringLiteral("Server is not synchronised."));
            Q_EMIT gaveUp(RunMessage::NotSynchronised, Shun::No);
            return;
        case NtpReplyKind::Usable:
        case NtpReplyKind::Dropped:
            break;
    }
    if (!inTime(roundTripMs)) {
        log.add(QStringLiteral("Packet was too late - packet rejected."));
        Q_EMIT queryAgain();
        return;
    }
    log.add(QStringLiteral("Packet was reply to attempt %1 - packet accepted:").arg(attempt_));
    TimeSample taken;
    taken.server = server();
    taken.offsetNs = sample.offsetNs;
    taken.roundTripNs = sample.roundTripNs;
    taken.stratum = reply.stratum;
    taken.authenticated = authenticated;
    Q_EMIT sampleTaken(taken);
}

void MeasuredExchange::refused(const QByteArray& code) {
    Q_EMIT gaveUp(RunMessage::ServerRefused, asksToStop(code) ? Shun::ForTheWalk : Shun::No);
}
