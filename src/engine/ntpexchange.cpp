// The conversation with an NTP server (a row on port 123): the request of each attempt, and the
// judgement of a reply. The walk, the attempts and the waits are the line protocol's own.
#include <QRandomGenerator>

#include "common/clock.h"
#include "common/leadingnumber.h"
#include "config/settings.h"
#include "engine/ntp/ntppacket.h"
#include "engine/ntp/ntpsample.h"
#include "engine/ntp/ntpshown.h"
#include "engine/runmessages.h"
#include "engine/timesocket.h"
#include "engine/updateengine.h"
#include "log/activitylog.h"
#include "serverlist/serverlist.h"

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

// A fresh random transmit timestamp for each attempt, so only the latest request's reply counts.
bool UpdateEngine::sendNtpQuery() {
    const quint64 bits = QRandomGenerator::system()->generate64();
    const Clock& clock = parts_.clock;
    ntpQuery_ = {bits, clock.utcNowNs(), clock.monotonicNs()};
    return parts_.ntpSocket.send(ntpRequest(bits));
}

void UpdateEngine::onNtpReply(const QByteArray& datagram) {
    // T4 first: anything done before it would count as time on the network. It is T1 moved on
    // by the monotonic clock, so a step of the realtime clock meanwhile does not distort it.
    const qint64 receivedMonotonicNs = parts_.clock.monotonicNs();
    if (!ntp_ || runState_ != RunState::AwaitingReply)
        return;
    const NtpReply reply = readNtpReply(datagram, ntpQuery_.transmitBits);
    if (reply.kind == NtpReplyKind::Dropped)
        return;
    const qint64 receivedUnixNs =
        ntpQuery_.sentUnixNs + (receivedMonotonicNs - ntpQuery_.sentMonotonicNs);
    const NtpSample sample =
        ntpSample(ntpQuery_.sentUnixNs, reply.received, reply.sent, receivedUnixNs);
    judgeNtpReply(reply, sample);
    Q_EMIT runStateChanged();
}

// A refusal or an unsynchronised server is judged before the numbers: a kiss with zero
// timestamps is still a kiss.
void UpdateEngine::judgeNtpReply(const NtpReply& reply, const NtpSample& sample) {
    ActivityLog& log = parts_.log;
    const QString received = QStringLiteral("Received NTP reply after %1 milliseconds: ")
                                 .arg(parts_.clock.monotonicMs() - timeMarkMs_);
    if (reply.kind == NtpReplyKind::Usable && isNonsense(reply, sample)) {
        // As for an erroneous line reply, the run waits on for another reply to this request.
        log.add(received + QStringLiteral("packet was erroneous."));
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
            if (asksToStop(reply.referenceId))
                shunningServers_.insert(serverAddress());
            tryNextServer(RunMessage::ServerRefused);
            return;
        case NtpReplyKind::NotSynchronised:
            log.add(QStringLiteral("Server is not synchronised."));
            tryNextServer(RunMessage::NotSynchronised);
            return;
        case NtpReplyKind::Usable:
        case NtpReplyKind::Dropped:
            break;
    }
    if (double(roundTripMs) < leadingNumber(parts_.settings.maxReplyDelayText)) {
        log.add(QStringLiteral("Packet was reply to attempt %1 - packet accepted:").arg(attempt_));
        correctClockBy(sample.offsetNs);
    } else {
        log.add(QStringLiteral("Packet was too late - packet rejected."));
        queryServer();
    }
}
