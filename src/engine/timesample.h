#pragma once

#include <QDateTime>
#include <QString>

// What an accepted reply tells about the time. A reply of the line protocol names a whole UTC
// second; a measured exchange (NTP) gives how far the server's clock is ahead of ours.
struct TimeSample {
    QString server;      // host:port as asked
    QDateTime namedUtc;  // valid: the whole UTC second the reply names

    // A measured sample (namedUtc invalid).
    qint64 offsetNs = 0;
    qint64 roundTripNs = 0;  // the time on the network, the server's share left out
    int stratum = 0;
    // The reply is proven to come from the server, unaltered (NTS).
    bool authenticated = false;
};
