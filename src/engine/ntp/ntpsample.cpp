#include "engine/ntp/ntpsample.h"

#include "engine/roundedquotient.h"

NtpSample ntpSample(qint64 sentUnixNs, NtpTimestamp serverReceived, NtpTimestamp serverSent,
                    qint64 receivedUnixNs) {
    const NtpTimestamp t1 = NtpTimestamp::fromUnixNs(sentUnixNs);
    const NtpTimestamp t4 = NtpTimestamp::fromUnixNs(receivedUnixNs);
    // Each difference lies within +-2^31 s (2.2e18 ns), so two of them add up without overflow.
    const qint64 outward = serverReceived.nsSince(t1);
    const qint64 homeward = serverSent.nsSince(t4);
    return {roundedQuotient(outward + homeward, 2),
            t4.nsSince(t1) - serverSent.nsSince(serverReceived)};
}
