#pragma once

#include "engine/ntp/ntptimestamp.h"

// What one request and its reply tell about the local clock (RFC 5905): with T1 the local send
// instant, T2 the server's receive and T3 its transmit timestamp, T4 the local receive instant,
//   offset     = ((T2 - T1) + (T3 - T4)) / 2   how far the server's clock is ahead of ours,
//   round trip = (T4 - T1) - (T3 - T2)         the time on the network, the server's share left
//   out.
// Every difference is taken between 64-bit NTP timestamps (era-aware, see nsSince), so neither
// 2036 nor any local instant overflows. In nanoseconds; the halving rounds halves away from zero.
struct NtpSample {
    qint64 offsetNs = 0;
    qint64 roundTripNs = 0;
};

NtpSample ntpSample(qint64 sentUnixNs, NtpTimestamp serverReceived, NtpTimestamp serverSent,
                    qint64 receivedUnixNs);
