// The conversation with an NTP server (a row on port 123): the request of each attempt, and the
// judgement of a reply. The walk, the attempts and the waits are the line protocol's own.
#include <QRandomGenerator>

#include "common/clock.h"
#include "common/leadingnumber.h"
#include "config/settings.h"
#include "engine/ntp/ntppacket.h"
#include "engine/ntp/ntpsample.h"
#include "engine/ntp/ntpshown.h"
#include "engine/replytext.h"
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
    judgeNtpReply(reply, sample.offsetNs, roundedMilliseconds(sample.roundTripNs));
    Q_EMIT runStateChanged();
}

void UpdateEngine::judgeNtpReply(const NtpReply& reply, qint64 offsetNs, qint64 roundTripMs) {
    ActivityLog& log = parts_.log;
    const qint64 delay = parts_.clock.monotonicMs() - timeMarkMs_;
    log.add(QStringLiteral("Received NTP reply after %1 milliseconds: stratum %2, offset %3 "
                           "seconds, round trip %4 milliseconds:")
                .arg(QString::number(delay), QString::number(reply.stratum),
                     shownOffsetSeconds(offsetNs), QString::number(roundTripMs)));
    switch (reply.kind) {
        case NtpReplyKind::KissOfDeath:
            log.add(QStringLiteral("Server refused the query (%1).")
                        .arg(shownReplyText(reply.kissCode())));
            if (asksToStop(reply.kissCode()))
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
        correctClockBy(offsetNs);
    } else {
        log.add(QStringLiteral("Packet was too late - packet rejected."));
        queryServer();
    }
}
