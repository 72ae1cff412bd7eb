#pragma once

#include "common/leadingnumber.h"

// NTP's own port chooses the protocol: a row on it speaks SNTP over UDP, every other row the
// line protocol over TCP. The port is read as the socket reads it, rounded halves to even.
constexpr double NtpPort = 123;

inline bool speaksNtp(double port) {
    return roundHalfEven(port) == NtpPort;
}
